// The popups: their sizes by the length of the text, the row of links, the
// corner they stand in and how the two stack, the countdown that hides them,
// and plain text only.

#include <gtest/gtest.h>

#include <QApplication>

#include "ui/popup/c_popup_msg_form.h"
#include "ui/popup/pl_popup_placement.h"
#include "ui/popup/pl_static_link.h"

namespace {

// A countdown the test runs by hand.
class FakeTimer : public PlPopupTimer {
public:
    void Start(int ms) override
    {
        running = true;
        lastStart = ms;
        ++starts;
    }
    void Stop() override { running = false; }
    bool IsRunning() const override { return running; }
    void Fire()
    {
        running = false;
        Expire();
    }
    bool running = false;
    int lastStart = 0;
    int starts = 0;
};

std::unique_ptr<CPopupMsgForm> MessagePopup(FakeTimer** timer = nullptr)
{
    auto fake = std::make_unique<FakeTimer>();
    if (timer != nullptr)
        *timer = fake.get();
    auto popup = std::make_unique<CPopupMsgForm>(std::move(fake));
    for (const char* caption : {"Reply", "<<", ">>", "Copy"})
        popup->AddLink(caption, [] {});
    popup->Create("Messages received");
    return popup;
}

TEST(Popup, GrowsWithItsTextBetweenTheLimits)
{
    auto popup = MessagePopup();
    popup->SetText("one line");
    EXPECT_EQ(popup->GetSize(), QSize(300, 30 + 100 + 25));
    EXPECT_EQ(popup->MessageViewGeometry(), QRect(6, 30, 288, 100));

    QString lines;
    for (int i = 0; i < 12; ++i)
        lines += QString("line %1\n").arg(i);
    popup->SetText(lines);
    EXPECT_GT(popup->GetSize().height(), 155);
    EXPECT_LE(popup->GetSize().height(), 30 + 300 + 25);
    popup->SetText(lines.repeated(10));
    EXPECT_EQ(popup->GetSize().height(), 30 + 300 + 25);  // the view scrolls beyond 300
}

TEST(Popup, LinksShareTheViewsWidthBelowIt)
{
    auto popup = MessagePopup();
    popup->SetText("x");
    ASSERT_EQ(popup->Links().size(), 4u);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(popup->Links()[i]->geometry(), QRect(6 + 72 * static_cast<int>(i), 135, 72, 15));

    CPopupMsgForm error;
    error.Create("Error");
    error.SetText("x");
    EXPECT_TRUE(error.Links().empty());
    EXPECT_EQ(error.GetSize(), QSize(300, 155));
}

TEST(Popup, ShowsMarkupAsItWasWritten)
{
    auto popup = MessagePopup();
    popup->SetText("<b>bold?</b> &amp; <a href='x'>link</a>");
    EXPECT_EQ(popup->GetText(), "<b>bold?</b> &amp; <a href='x'>link</a>");
}

TEST(Popup, StandsInTheCornerAndTheErrorAboveTheMessage)
{
    const QRect screen(0, 0, 1024, 768);
    const auto alone = PlPlacePopups(screen, QSize(300, 155), std::nullopt);
    EXPECT_EQ(alone.message, QPoint(1024 - 15 - 300, 768 - 10 - 155));
    const auto both = PlPlacePopups(screen, QSize(300, 155), QSize(300, 200));
    EXPECT_EQ(both.error, QPoint(709, 768 - 10 - 155 - 10 - 200));
    const auto errorOnly = PlPlacePopups(screen, std::nullopt, QSize(300, 155));
    EXPECT_EQ(errorOnly.error, alone.message);
    // A panel along the right edge: the area it leaves free counts.
    const auto panel = PlPlacePopups(QRect(0, 0, 980, 768), QSize(300, 155), std::nullopt);
    EXPECT_EQ(panel.message->x(), 980 - 15 - 300);
}

TEST(Popup, CountsDownWhileTheUserIsElsewhere)
{
    FakeTimer* timer = nullptr;
    auto popup = MessagePopup(&timer);
    popup->SetText("x");
    popup->SetAutoHide(10);
    EXPECT_TRUE(timer->running);
    EXPECT_EQ(timer->lastStart, 10000);
    popup->ShowInactive();
    EXPECT_TRUE(popup->isVisible());
    EXPECT_FALSE(popup->isActiveWindow());  // shown without taking the focus

    QApplication::setActiveWindow(popup.get());
    QEvent activated(QEvent::ActivationChange);
    QApplication::sendEvent(popup.get(), &activated);
    EXPECT_FALSE(timer->running);  // the user works in it

    QWidget elsewhere;
    elsewhere.show();
    QApplication::setActiveWindow(&elsewhere);
    const int starts = timer->starts;
    QApplication::sendEvent(popup.get(), &activated);
    EXPECT_TRUE(timer->running);
    EXPECT_EQ(timer->starts, starts + 1);  // from the full time again

    timer->Fire();
    EXPECT_FALSE(popup->isVisible());

    popup->SetAutoHide(0);
    EXPECT_FALSE(timer->running);
}

TEST(Popup, CloseButtonHidesAndTells)
{
    auto popup = MessagePopup();
    bool told = false;
    popup->SetClosedCallback([&] { told = true; });
    popup->ShowInactive();
    popup->PressClose();
    EXPECT_TRUE(told);
    EXPECT_FALSE(popup->isVisible());
}

}  // namespace

TEST(Popup, LongCaptionsOfATranslationAreNotCut)
{
    CPopupMsgForm popup;
    for (const char* caption : {"Ответить", "<<", ">>", "Копировать"})
        popup.AddLink(QString::fromUtf8(caption), [] {});
    popup.Create("Полученные сообщения");
    popup.SetText("x");
    int right = 6;
    for (PlStaticLink* link : popup.Links()) {
        EXPECT_GE(link->width(), link->sizeHint().width()) << link->text().toStdString();
        EXPECT_EQ(link->x(), right);
        right += link->width();
    }
    EXPECT_LE(right, 6 + 288);
}
