#include "platform/registry/pl_registry_file.h"

#include "tests/support/pl_temp_folder.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

constexpr char kKey[] = "HKEY_CURRENT_USER\\Software\\Test";

TEST(PlRegistryFile, MissingFileIsAnEmptyHiveAndWritingCreatesIt)
{
    PlTempFolder folder;
    PlRegistryFile file(folder.Path("config/parlino/registry.reg"));
    const auto missing = file.Read();
    EXPECT_EQ(missing.state, PlRegistryFile::State::Missing);
    EXPECT_TRUE(missing.hive.Keys().empty());

    PlRegistryHive hive;
    hive.Set(kKey, "Name", PlRegistryValue::Text("Ünïcode"));
    ASSERT_TRUE(file.Write(hive));
    const auto loaded = file.Read();
    EXPECT_EQ(loaded.state, PlRegistryFile::State::Loaded);
    EXPECT_EQ(loaded.damagedLines, 0u);
    EXPECT_EQ(loaded.hive.Find(kKey, "name")->AsText(), "Ünïcode");

    struct stat info {};
    ASSERT_EQ(::stat(file.Path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    // Only the file itself is left behind: no temporary files.
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path("config/parlino")))
        ++entries;
    EXPECT_EQ(entries, 1u);
}

TEST(PlRegistryFile, AFailedWriteLeavesTheOldFile)
{
    PlTempFolder folder;
    folder.WriteFile("blocker", "a file where a folder should be");
    PlRegistryFile blocked(folder.Path("blocker/registry.reg"));
    EXPECT_FALSE(blocked.Write(PlRegistryHive()));
    EXPECT_EQ(blocked.Read().state, PlRegistryFile::State::Missing);

    folder.WriteFile("registry.reg", "REGEDIT4\n");
    ::mkdir(folder.Path("registry.reg.XXXXXX").c_str(), 0700);  // harmless: names are unique
    PlRegistryFile file(folder.Path("registry.reg"));
    PlRegistryHive hive;
    hive.Set(kKey, "v", PlRegistryValue::Dword(1));
    ASSERT_TRUE(file.Write(hive));
    EXPECT_EQ(file.Read().hive.Find(kKey, "v")->AsNumber(), 1u);
}

TEST(PlRegistryFile, ALinkedFileIsReplacedBehindItsLink)
{
    PlTempFolder folder;
    folder.WriteFile("dotfiles/registry.reg", "REGEDIT4\n");
    ::mkdir(folder.Path("parlino").c_str(), 0700);
    ASSERT_EQ(::symlink("../dotfiles/registry.reg", folder.Path("parlino/registry.reg").c_str()), 0);
    PlRegistryFile file(folder.Path("parlino/registry.reg"));
    PlRegistryHive hive;
    hive.Set(kKey, "v", PlRegistryValue::Dword(9));
    ASSERT_TRUE(file.Write(hive));
    EXPECT_TRUE(std::filesystem::is_symlink(folder.Path("parlino/registry.reg")));
    EXPECT_NE(folder.ReadFile("dotfiles/registry.reg").find("\"v\"=dword:00000009"), std::string::npos);
}

TEST(PlRegistryFile, AnUnreadableFileIsReported)
{
    PlTempFolder folder;
    ::mkdir(folder.Path("registry.reg").c_str(), 0700);
    PlRegistryFile file(folder.Path("registry.reg"));
    EXPECT_EQ(file.Read().state, PlRegistryFile::State::Unreadable);
}

TEST(PlRegistryFile, ADamagedFileLoadsWhatItCanAndIsKeptAside)
{
    PlTempFolder folder;
    const std::string damaged =
        "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Test]\n\"Good\"=dword:00000005\n\x01\x02garbage\n";
    folder.WriteFile("registry.reg", damaged);
    PlRegistryFile file(folder.Path("registry.reg"));
    auto snapshot = file.Read();
    EXPECT_EQ(snapshot.state, PlRegistryFile::State::Loaded);
    EXPECT_EQ(snapshot.damagedLines, 1u);
    EXPECT_EQ(snapshot.hive.Find(kKey, "Good")->AsNumber(), 5u);

    ASSERT_TRUE(file.Write(snapshot.hive));
    EXPECT_EQ(folder.ReadFile("registry.reg.damaged"), damaged);
    EXPECT_EQ(file.Read().damagedLines, 0u);
    // A clean file is not kept aside again.
    folder.WriteFile("registry.reg.damaged", "older");
    ASSERT_TRUE(file.Write(snapshot.hive));
    EXPECT_EQ(folder.ReadFile("registry.reg.damaged"), "older");
}

TEST(PlRegistryFile, AnOversizedFileIsReadUpToTheLimit)
{
    PlTempFolder folder;
    std::string text = "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Test]\n\"First\"=dword:1\n";
    text += "\"Huge\"=\"" + std::string(PlRegistryFile::kFileLimit, 'x') + "\"\n";
    folder.WriteFile("registry.reg", text);
    PlRegistryFile file(folder.Path("registry.reg"));
    const auto snapshot = file.Read();
    EXPECT_EQ(snapshot.hive.Find(kKey, "First")->AsNumber(), 1u);
    EXPECT_EQ(snapshot.hive.Find(kKey, "Huge"), nullptr);
    EXPECT_EQ(snapshot.damagedLines, 2u);  // the cut line, and the cut itself
}

TEST(PlRegistryFile, DefaultPathFollowsXdgConfigHome)
{
    ::setenv("XDG_CONFIG_HOME", "/somewhere/config", 1);
    EXPECT_EQ(PlRegistryFile::DefaultPath(), "/somewhere/config/parlino/registry.reg");
    ::setenv("XDG_CONFIG_HOME", "relative/is/ignored", 1);
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(PlRegistryFile::DefaultPath(), "/home/someone/.config/parlino/registry.reg");
}

}  // namespace
