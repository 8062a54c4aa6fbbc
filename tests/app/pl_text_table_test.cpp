#include "app/texts/pl_text_table.h"
#include "app/texts/pl_builtin_texts.h"

#include "tests/support/pl_temp_folder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>

namespace {

PlTextTable BuiltinTable()
{
    PlTextTable table;
    table.AddDefaults(kPlBuiltinTexts, kPlBuiltinTextCount);
    return table;
}

TEST(PlBuiltinTexts, EveryIdOnceWithItsSection)
{
    ASSERT_EQ(kPlBuiltinTextCount, 152u);
    std::set<int> ids;
    std::set<std::string> sections;
    std::map<int, std::string> sectionOfHundred;
    for (std::size_t i = 0; i < kPlBuiltinTextCount; ++i) {
        const PlTextRow& row = kPlBuiltinTexts[i];
        EXPECT_TRUE(ids.insert(row.id).second) << row.id;
        EXPECT_GT(std::strlen(row.text), 0u) << row.id;
        sections.insert(row.section);
        // Each section owns one hundred of ids: 101.. Shared, 201.. PopupForm, ...
        EXPECT_EQ(sectionOfHundred.try_emplace(row.id / 100, row.section).first->second, row.section) << row.id;
    }
    EXPECT_EQ(sections.size(), 19u);
    const PlTextTable table = BuiltinTable();
    EXPECT_EQ(table.Text(205), "%1 wrote to %2:");
    EXPECT_EQ(table.Text(1203), "Outcoming");
    EXPECT_EQ(table.Text(1603), "If message sent succesfully, generate:");
    EXPECT_EQ(table.Text(1407),
              "Message exceed maximum allowed length (personal message - 1600 characters, broadcast message - 128 "
              "characters). Message text will be truncated. Continue?");
}

TEST(PlTextTable, UnknownIdsAndReplacedRows)
{
    PlTextTable table;
    const PlTextRow rows[] = {{1, "one", "A"}, {2, "two", "A"}, {1, "uno", "B"}};
    table.AddDefaults(rows, 3);
    EXPECT_EQ(table.Text(1), "uno");
    EXPECT_EQ(table.Text(3), "");
    EXPECT_EQ(PlTextTable().Text(101), "");

    PlTempFolder folder;
    folder.WriteFile("x.lng", "[A]\n1=eins-A\n2=zwei\n[B]\n1=eins-B\n");
    table.LoadLanguageFile(folder.Path("x.lng"));
    EXPECT_EQ(table.Text(1), "eins-B");  // the row now lives in section B
    EXPECT_EQ(table.Text(2), "zwei");
}

TEST(PlTextTable, TwoArgumentTexts)
{
    const PlTextTable table = BuiltinTable();
    EXPECT_EQ(table.Text(205, "ANNA", "BORIS"), "ANNA wrote to BORIS:");
    EXPECT_EQ(table.Text(1211, "a%2b", "X"), "aXb wrote to X:");  // %2 inside the first argument too
    EXPECT_EQ(table.Text(205, "%1", "%1"), "%1 wrote to %1:");    // arguments are not searched again
    EXPECT_EQ(table.Text(101, "a", "b"), "OK");
    EXPECT_EQ(table.Text(9999, "a", "b"), "");
}

TEST(PlTextTable, LanguageFilesOverlayOnlyKnownIds)
{
    PlTempFolder folder;
    folder.WriteFile("test.lng",
                     "[shared]\n101=Jawohl\n199=unknown id\n"
                     "[PopupForm]\n205=%2 <- %1\n"
                     "[WrongSection]\n102=ignored\n"
                     "[TrayTip]\n401=\xC3\x28 bad\xFF\n");
    PlTextTable table = BuiltinTable();
    table.LoadLanguageFile(folder.Path("test.lng"));
    EXPECT_EQ(table.Text(101), "Jawohl");
    EXPECT_EQ(table.Text(199), "");
    EXPECT_EQ(table.Text(102), "Cancel");
    EXPECT_EQ(table.Text(205, "a", "b"), "b <- a");
    EXPECT_EQ(table.Text(401), "?( bad?");
    EXPECT_EQ(table.Text(402), "Registering on the net...");

    PlTextTable unchanged = BuiltinTable();
    unchanged.LoadLanguageFile("");
    unchanged.LoadLanguageFile(folder.Path("missing.lng"));
    for (std::size_t i = 0; i < kPlBuiltinTextCount; ++i)
        EXPECT_EQ(unchanged.Text(kPlBuiltinTexts[i].id), kPlBuiltinTexts[i].text);
}

TEST(PlTextTable, LongTextsAreCutToTheBuffer)
{
    PlTempFolder folder;
    folder.WriteFile("long.lng", "[Shared]\n101=" + std::string(5000, 'w') + "\n");
    PlTextTable table = BuiltinTable();
    table.LoadLanguageFile(folder.Path("long.lng"));
    EXPECT_EQ(table.Text(101), std::string(PlTextTable::kValueBuffer - 1, 'w'));

    // A row a file does not name is looked at again only when loading could
    // change it: a text cut to the buffer just after a blank loses the blank
    // at the next load, as a default would.
    const std::string blankAtCut = std::string(PlTextTable::kValueBuffer - 2, 'w') + " tail";
    folder.WriteFile("blank.lng", "[Shared]\n101=" + blankAtCut + "\n102=kept\n");
    folder.WriteFile("other.lng", "[Shared]\n103=other\n");
    table.LoadLanguageFile(folder.Path("blank.lng"));
    EXPECT_EQ(table.Text(101), blankAtCut.substr(0, PlTextTable::kValueBuffer - 1));
    table.LoadLanguageFile(folder.Path("other.lng"));
    EXPECT_EQ(table.Text(101), std::string(PlTextTable::kValueBuffer - 2, 'w'));
    EXPECT_EQ(table.Text(102), "kept");
    EXPECT_EQ(table.Text(103), "other");
    const PlTextRow padded[] = {{7, "padded  ", "A"}};
    table.AddDefaults(padded, 1);
    table.LoadLanguageFile(folder.Path("other.lng"));
    EXPECT_EQ(table.Text(7), "padded");  // a default's trailing blanks go at the first load
}

TEST(PlTextTable, TheProcessWideTableIsOne)
{
    EXPECT_EQ(&PlTextTable::Instance(), &PlTextTable::Instance());
}

}  // namespace
