#include "platform/xdg/pl_autostart.h"

#include "tests/support/pl_temp_folder.h"

#include <gtest/gtest.h>

namespace {

TEST(PlAutostart, TurningOnWritesAnEntryThatStartsTheProgram)
{
    PlTempFolder folder;
    PlAutostart autostart(folder.Path("autostart/parlino.desktop"));
    EXPECT_FALSE(autostart.IsOn());
    EXPECT_TRUE(autostart.TurnOff());  // nothing to remove is fine

    ASSERT_TRUE(autostart.TurnOn("/opt/parlino/bin/parlino"));
    EXPECT_TRUE(autostart.IsOn());
    const std::string entry = folder.ReadFile("autostart/parlino.desktop");
    EXPECT_TRUE(entry.starts_with("[Desktop Entry]\n"));
    EXPECT_NE(entry.find("\nType=Application\n"), std::string::npos);
    EXPECT_NE(entry.find("\nExec=\"/opt/parlino/bin/parlino\"\n"), std::string::npos);

    ASSERT_TRUE(autostart.TurnOff());
    EXPECT_FALSE(autostart.IsOn());
}

TEST(PlAutostart, AnEntryWrittenByAnyoneCountsAsOn)
{
    PlTempFolder folder;
    folder.WriteFile("autostart/parlino.desktop", "written by hand\n");
    EXPECT_TRUE(PlAutostart(folder.Path("autostart/parlino.desktop")).IsOn());
}

TEST(PlAutostart, ExecArgumentsAreQuotedAsDesktopEntriesRequire)
{
    EXPECT_EQ(PlAutostart::ExecArgument("/usr/bin/parlino"), "\"/usr/bin/parlino\"");
    EXPECT_EQ(PlAutostart::ExecArgument("/home/a b/parlino"), "\"/home/a b/parlino\"");
    // Inside quotes " ` $ \ take a backslash; then every backslash of the
    // value is doubled by the string escapes.
    EXPECT_EQ(PlAutostart::ExecArgument("/x\"y`z$w\\v"), "\"/x\\\\\"y\\\\`z\\\\$w\\\\\\\\v\"");
    EXPECT_EQ(PlAutostart::ExecArgument("/100%/p"), "\"/100%%/p\"");
    EXPECT_EQ(PlAutostart::ExecArgument("/a\nb\tc"), "\"/a\\nb\\tc\"");
}

TEST(PlAutostart, DefaultPathFollowsXdgConfigHome)
{
    ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(PlAutostart::DefaultPath(), "/cfg/autostart/parlino.desktop");
}

}  // namespace
