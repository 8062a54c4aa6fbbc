#include "platform/xdg/pl_autostart.h"

#include "tests/support/pl_temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace {

// The keys of a desktop entry's [Desktop Entry] group.
std::map<std::string, std::string> MainGroup(const std::string& text)
{
    std::map<std::string, std::string> keys;
    std::istringstream lines(text);
    bool inMain = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("["))
            inMain = line == "[Desktop Entry]";
        else if (const auto equals = line.find('='); inMain && equals != std::string::npos)
            keys[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return keys;
}

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

TEST(PlAutostart, TheEntryIsTheInstalledDesktopEntryWithTheFullPath)
{
    std::ifstream file(std::string(PL_SOURCE_DIR) + "/packaging/parlino.desktop");
    std::stringstream installedText;
    installedText << file.rdbuf();
    auto installed = MainGroup(installedText.str());
    ASSERT_EQ(installed["Exec"], "parlino");
    auto autostart = MainGroup(PlAutostart::DesktopEntry("/usr/bin/parlino"));
    EXPECT_EQ(autostart["Exec"], "\"/usr/bin/parlino\"");
    EXPECT_EQ(autostart["X-GNOME-Autostart-enabled"], "true");
    // Every key the autostart entry has, but Exec and the autostart flag, is
    // the installed entry's own (the English texts).
    for (const auto& [key, value] : autostart) {
        if (key != "Exec" && key != "X-GNOME-Autostart-enabled") {
            EXPECT_EQ(value, installed[key]) << key;
        }
    }
    for (const char* key : {"Type", "Name", "Comment", "Icon", "Terminal"})
        EXPECT_TRUE(autostart.contains(key)) << key;
}

TEST(PlAutostart, TheEntryPassesDesktopFileValidate)
{
    if (std::system("command -v desktop-file-validate >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "desktop-file-validate is not installed (Debian package desktop-file-utils)";
    PlTempFolder folder;
    PlAutostart autostart(folder.Path("autostart/parlino.desktop"));
    ASSERT_TRUE(autostart.TurnOn("/home/a b/100%/parlino"));
    const std::string command = "desktop-file-validate '" + autostart.Path() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << folder.ReadFile("autostart/parlino.desktop");
}

}  // namespace
