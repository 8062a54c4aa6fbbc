// The tray icon: the tip's length, and the blink ticks: without a limit it
// alternates on and on; a limit ends it after that many more ticks on the
// normal icon, and a second limit does not move the end.

#include <gtest/gtest.h>

#include "platform/desktop/pl_tray_icon.h"

TEST(TrayIcon, TipIsCutToSixtyThreeCharacters)
{
    plTrayIcon tray;
    tray.Show();
    tray.SetTip(QString(80, 'x'));
    EXPECT_EQ(tray.DisplayedTip().size(), 63);
}

TEST(TrayIcon, BlinksUntilTheLimitThenShowsTheNormalIcon)
{
    plTrayIcon tray;
    tray.Show();
    tray.StartBlinking();
    for (int tick = 1; tick <= 40; ++tick) {
        tray.Tick();
        EXPECT_EQ(tray.ShowsAlternateIcon(), tick % 2 == 0) << tick;
    }
    tray.LimitBlinking(14);
    tray.LimitBlinking(30);  // an end already set stays
    for (int tick = 1; tick <= 14; ++tick) {
        tray.Tick();
        EXPECT_TRUE(tray.IsBlinking());
    }
    tray.Tick();  // the 15th
    EXPECT_FALSE(tray.IsBlinking());
    EXPECT_FALSE(tray.ShowsAlternateIcon());
}

TEST(TrayIcon, ChangesWhileBlinkingWaitForTheNextTick)
{
    plTrayIcon tray;
    tray.Show();
    tray.SetTip("before");
    tray.StartBlinking();
    tray.SetTip("after");
    EXPECT_EQ(tray.DisplayedTip(), "before");
    tray.Tick();
    EXPECT_EQ(tray.DisplayedTip(), "after");
}
