#include "platform/profile/pl_profile_file.h"

#include "tests/support/pl_temp_folder.h"

#include <gtest/gtest.h>

using namespace std::string_view_literals;

namespace {

constexpr std::size_t kBuffer = 2048;

TEST(PlProfileFile, SectionsAndKeysIgnoreCaseAndBlanks)
{
    const PlProfileFile file = PlProfileFile::Parse(
        "[Shared]\r\n"
        "101 = Ja  \r\n"
        "  [ popupForm ]  \n"
        "\tKey\t=\tvalue with  inner  blanks\t\n"
        "[ÜBER]\n"
        "größe=1\n");
    EXPECT_EQ(file.GetString("shared", "101", "x", kBuffer), "Ja");
    EXPECT_EQ(file.GetString("PopupForm", "KEY", "x", kBuffer), "value with  inner  blanks");
    EXPECT_EQ(file.GetString("über", "GRÖSSE", "x", kBuffer), "x");  // no one-to-many case mapping
    EXPECT_EQ(file.GetString("über", "GRÖßE", "x", kBuffer), "1");
}

TEST(PlProfileFile, MissingSectionsAndKeysYieldTheDefault)
{
    const PlProfileFile file = PlProfileFile::Parse("[A]\nkey=1\nempty=\n");
    EXPECT_EQ(file.GetString("B", "key", "default", kBuffer), "default");
    EXPECT_EQ(file.GetString("A", "other", "default", kBuffer), "default");
    EXPECT_EQ(file.GetString("A", "other", "trailing   ", kBuffer), "trailing");
    EXPECT_EQ(file.GetString("A", "other", "   ", kBuffer), "");
    EXPECT_EQ(file.GetString("A", "empty", "default", kBuffer), "");  // present but empty
    EXPECT_EQ(PlProfileFile().GetString("A", "key", "d", kBuffer), "d");
}

TEST(PlProfileFile, FirstOccurrenceWinsAndSectionsMerge)
{
    const PlProfileFile file = PlProfileFile::Parse("[A]\nk=first\nk=second\n[B]\n[a]\nk=third\nj=2\n");
    EXPECT_EQ(file.GetString("A", "k", "", kBuffer), "first");
    EXPECT_EQ(file.GetString("A", "j", "", kBuffer), "2");
}

TEST(PlProfileFile, QuotesCommentsAndDamagedLines)
{
    const PlProfileFile file = PlProfileFile::Parse(
        "orphan=before any section\n"
        "[A]\n"
        "; 1=comment\n"
        "q1=\" spaced \"\n"
        "q2='single'\n"
        "q3=\"unbalanced'\n"
        "q4=\"\n"
        "no equals sign\n"
        "[Broken\n"
        "after=still in A\n"
        "nul=ab\0cd\n"sv);
    EXPECT_EQ(file.GetString("A", "q1", "", kBuffer), " spaced ");
    EXPECT_EQ(file.GetString("A", "q2", "", kBuffer), "single");
    EXPECT_EQ(file.GetString("A", "q3", "", kBuffer), "\"unbalanced'");
    EXPECT_EQ(file.GetString("A", "q4", "", kBuffer), "\"");
    EXPECT_EQ(file.GetString("A", "; 1", "d", kBuffer), "d");
    EXPECT_EQ(file.GetString("A", "after", "", kBuffer), "still in A");
    EXPECT_EQ(file.GetString("A", "nul", "", kBuffer), "ab");
    EXPECT_EQ(file.GetString("", "orphan", "d", kBuffer), "d");
}

TEST(PlProfileFile, ValuesAreCutToTheBufferAtCharacterBoundaries)
{
    const std::string ascii(3000, 'a');
    std::string cyrillic;
    for (int i = 0; i < 1500; ++i)
        cyrillic += "я";  // two bytes each
    const PlProfileFile file = PlProfileFile::Parse("[A]\nascii=" + ascii + "\nru=" + cyrillic + "\n");
    EXPECT_EQ(file.GetString("A", "ascii", "", kBuffer).size(), kBuffer - 1);
    const std::string ru = file.GetString("A", "ru", "", kBuffer);
    EXPECT_EQ(ru.size(), kBuffer - 2);  // 2047 would split the last character
    EXPECT_EQ(ru.substr(0, 2), "я");
    EXPECT_EQ(file.GetString("A", "ascii", "", 1), "");
    EXPECT_EQ(file.GetString("A", "ascii", "", 0), "");
    EXPECT_EQ(file.GetString("A", "missing", "abcdef", 4), "abc");
}

TEST(PlProfileFile, LoadsFilesInUtf8AndUtf16)
{
    PlTempFolder folder;
    folder.WriteFile("bom8.lng", "\xEF\xBB\xBF[Info]\nLanguageName=Deutsch\n");
    // "[I]\nk=Ж" in UTF-16LE with byte-order mark
    folder.WriteFile("utf16.lng", std::string("\xFF\xFE[\0I\0]\0\n\0k\0=\0\x16\x04", 16));
    EXPECT_EQ(PlProfileFile::Load(folder.Path("bom8.lng")).GetString("info", "languagename", "", kBuffer), "Deutsch");
    EXPECT_EQ(PlProfileFile::Load(folder.Path("utf16.lng")).GetString("I", "k", "", kBuffer), "Ж");
    EXPECT_EQ(PlProfileFile::Load(folder.Path("missing.lng")).GetString("I", "k", "d", kBuffer), "d");
    EXPECT_EQ(PlProfileFile::Load(folder.Path()).GetString("I", "k", "d", kBuffer), "d");  // a folder
}

}  // namespace
