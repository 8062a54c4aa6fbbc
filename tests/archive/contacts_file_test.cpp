#include "archive/pl_contacts_data_set.h"
#include "archive/pl_contacts_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "scratch_dir.h"

namespace {

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

TEST(ContactsFile, LinesParseWithMissingFieldsAndUnknownTypes)
{
    EXPECT_EQ(PlParseContactLine("1;alice;Alice;Friends;1"),
              (PlContactRecord{kContactUser, "alice", "Alice", "Friends", 1}));
    EXPECT_EQ(PlParseContactLine("x;WG;Work;;1;extra;more"), (PlContactRecord{kContactWorkgroup, "WG", "Work", "", 1}));
    EXPECT_EQ(PlParseContactLine(""), (PlContactRecord{kContactWorkgroup, "", "", "", 0}));
    EXPECT_EQ(PlParseContactLine("1;bob"), (PlContactRecord{kContactUser, "bob", "", "", 0}));
    EXPECT_EQ(PlParseContactLine(" 1;a; b ;c;01"), (PlContactRecord{kContactWorkgroup, "a", " b ", "c", 0}));

    const auto records = PlParseContactsText("1;a;A;G;1\r\n\r\n2;w;W;G;0\nlast;line");
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].realName, "a");
    EXPECT_EQ(records[1], PlContactRecord{});
    EXPECT_EQ(records[2].realName, "w");
    EXPECT_EQ(records[3].realName, "line");
    EXPECT_EQ(PlFormatContactLine({kContactUser, "a", "A", "G", 1}), "1;a;A;G;1\r\n");
}

TEST(ContactsFile, DataSetRoundTripsTheFileAndCreatesAMissingOne)
{
    ScratchFolder folder;
    PlContactsDataSet set;
    set.SetPath(folder.File("contacts.txt"));
    EXPECT_TRUE(set.Load());
    EXPECT_TRUE(std::filesystem::exists(folder.File("contacts.txt")));
    EXPECT_EQ(set.GetLastIndex(), -1);

    set.AppendRecord({kContactUser, "müller", "Hans Müller", "Büro", 1});
    const std::int32_t i = set.Append();
    EXPECT_EQ(set.GetCurrent(), i);
    PlValue value;
    value.SetInteger(2);
    set.SetValue(i, "Type", value);
    value.SetText("WORKGROUP");
    set.SetValue(i, "RealName", value);
    set.SetValue(i, "Colour", value);
    ASSERT_TRUE(set.Save());
    EXPECT_EQ(ReadBytes(folder.File("contacts.txt")), "1;müller;Hans Müller;Büro;1\r\n2;WORKGROUP;;;0\r\n");
    EXPECT_FALSE(std::filesystem::exists(folder.File("contacts.txt.tmp")));

    PlContactsDataSet again;
    again.SetPath(folder.File("contacts.txt"));
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.Records(), set.Records());
    EXPECT_EQ(again.GetValue(0, "Type").Integer(), 1u);
    EXPECT_EQ(again.GetValue(0, "GroupOpen").Integer(), 1u);
    EXPECT_EQ(again.GetValue(0, "DisplayName").Text(), "Hans Müller");
    EXPECT_EQ(again.GetValue(0, "Nothing").Text(), "");
    value.SetText("kept");
    EXPECT_EQ(again.ReadValue(value, 7, "RealName").Text(), "kept");
    again.Delete(0);
    EXPECT_EQ(again.GetValue(0, "RealName").Text(), "WORKGROUP");
}

TEST(ContactsFile, AFailedSaveKeepsTheOldList)
{
    ScratchFolder folder;
    const std::string path = folder.File("contacts.txt");
    WriteBytes(path, "1;old;Old;G;0\r\n");
    // The temporary file cannot be created where a folder of its name stands.
    std::filesystem::create_directory(path + ".tmp");
    PlContactsDataSet set;
    set.SetPath(path);
    set.AppendRecord({kContactUser, "new", "New", "G", 0});
    EXPECT_FALSE(set.Save());
    EXPECT_EQ(ReadBytes(path), "1;old;Old;G;0\r\n");

    // An unreadable path gives an empty list.
    PlContactsDataSet folderAsFile;
    folderAsFile.SetPath(path + ".tmp");
    EXPECT_FALSE(folderAsFile.Load());
    EXPECT_EQ(folderAsFile.GetLastIndex(), -1);
}
