#include "archive/pl_contacts_manager.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "fake_contact_list_view.h"
#include "scratch_dir.h"

namespace {

using Strings = std::vector<std::string>;

// A manager over a data set loaded from a contacts file in a scratch folder.
class ContactTree : public ::testing::Test {
protected:
    void Load(const std::string& fileText)
    {
        std::ofstream(Path(), std::ios::binary) << fileText;
        set.SetPath(Path());
        manager.SetDataSet(&set);
        manager.SetView(&view);
        manager.Load(true);
    }

    std::string Path() const { return folder.File("contacts.txt"); }

    std::string FileText() const
    {
        std::ifstream in(Path(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    Strings Rows()
    {
        Strings rows;
        for (std::int32_t i = 0; i < manager.GetRowCount(); ++i)
            rows.push_back(manager.GetRowText(i));
        return rows;
    }

    std::weak_ptr<PlContactMember> MemberAt(std::int32_t row)
    {
        const auto item = manager.ItemAt(row);
        return item ? item->member : std::weak_ptr<PlContactMember>{};
    }

    ScratchFolder folder;
    PlContactsDataSet set;
    FakeContactListView view;
    PlContactsManager manager;
};

}  // namespace

TEST_F(ContactTree, LoadBuildsSortedGroupsOpenWhenAnyLineSaysSo)
{
    Load(
        "1;y;Y;B;0\r\n"
        "1;x;X;B;1\r\n"
        "1;a2;a2;A;0\r\n"
        "zz;wg;WG;;0\r\n");
    // Groups "", A (closed), B (open: X, Y); byte order puts "" first.
    EXPECT_EQ(Rows(), (Strings{"", "A", "B", "X", "Y"}));
    EXPECT_TRUE(manager.IsGroupRow(1));
    EXPECT_FALSE(manager.IsGroupRow(3));
    EXPECT_EQ(manager.GetRowImage(0), 0);
    EXPECT_EQ(manager.GetRowImage(2), 1);
    EXPECT_EQ(manager.GetRowImage(3), 5);  // a user, not available
    EXPECT_EQ(manager.GetRowImage(99), -1);
    EXPECT_EQ(manager.GetRowText(99), "");
    EXPECT_FALSE(manager.ItemAt(-1));
    EXPECT_EQ(manager.ItemAt(1)->record.type, kContactGroupRow);

    // The window's names follow the file's order, before sorting.
    EXPECT_EQ(view.Names(), (Strings{"B(Group)", "y", "x", "A(Group)", "(Group)"}));

    // Toggling a group row opens it with its members right after it.
    const int refreshes = view.refreshes;
    manager.Toggle(0);
    EXPECT_EQ(Rows(), (Strings{"", "WG", "A", "B", "X", "Y"}));
    EXPECT_EQ(manager.GetRowImage(1), 4);  // a workgroup, not available
    EXPECT_EQ(view.refreshes, refreshes + 1);
    manager.Toggle(1);  // a member row: nothing
    EXPECT_EQ(manager.GetRowCount(), 6);

    std::vector<std::string> groups{"stale"};
    manager.GetGroupNames(groups);
    EXPECT_EQ(groups, (Strings{"", "A", "B"}));
}

TEST_F(ContactTree, SortIsByteWiseAndCaseSensitive)
{
    Load("1;1;b;G;1\r\n1;2;B;G;1\r\n1;3;a;G;1\r\n1;4;Z;G;1\r\n1;5;Ä;G;1\r\n");
    EXPECT_EQ(Rows(), (Strings{"G", "B", "Z", "a", "b", "Ä"}));
}

TEST_F(ContactTree, SaveKeepsOpenGroupsWithMembersOnly)
{
    Load("1;x;X;Open;1\r\n1;y;Y;Open;1\r\n1;z;Z;Leaving;1\r\n");
    // Moving Z away leaves its group empty; the new group is created open.
    PlContactRecord moved = manager.ItemAt(1)->record;
    moved.groupName = "Open";
    ASSERT_EQ(manager.UpdateContact(MemberAt(1), moved), PlContactEdit::kDone);
    EXPECT_EQ(Rows(), (Strings{"Leaving", "Open", "X", "Y", "Z"}));
    ASSERT_TRUE(manager.Save());
    EXPECT_EQ(FileText(), "1;x;X;Open;1\r\n1;y;Y;Open;1\r\n1;z;Z;Open;1\r\n");

    manager.Load(true);
    std::vector<std::string> groups;
    manager.GetGroupNames(groups);
    EXPECT_EQ(groups, (Strings{"Open"}));
}

TEST_F(ContactTree, EditsFileContactsAndRefuseWhatTheFileCannotKeep)
{
    Load("");
    EXPECT_EQ(manager.AddContact({kContactUser, "bob", "Bob", "Team", 0}), PlContactEdit::kDone);
    EXPECT_EQ(manager.AddContact({kContactUser, "al", "Al", "Team", 0}), PlContactEdit::kDone);
    // A new group is open; AddContact does not sort.
    EXPECT_EQ(Rows(), (Strings{"Team", "Bob", "Al"}));

    EXPECT_EQ(manager.AddContact({kContactUser, "a;b", "A", "Team", 0}), PlContactEdit::kBadName);
    EXPECT_EQ(manager.AddContact({kContactUser, "a", "A\r\nB", "Team", 0}), PlContactEdit::kBadName);
    EXPECT_EQ(manager.AddContact({kContactGroupRow, "a", "A", "Team", 0}), PlContactEdit::kBadType);
    EXPECT_STRNE(PlContactEditText(PlContactEdit::kBadName), "");
    PlContactRecord edited = manager.ItemAt(1)->record;
    edited.groupName = "x;y";
    EXPECT_EQ(manager.UpdateContact(MemberAt(1), edited), PlContactEdit::kBadName);
    EXPECT_EQ(Rows(), (Strings{"Team", "Bob", "Al"}));

    // Update sorts and repaints; a stale reference can no longer write.
    const auto bob = MemberAt(1);
    edited = manager.ItemAt(1)->record;
    edited.displayName = "Robert";
    const int repaints = view.repaints;
    EXPECT_EQ(manager.UpdateContact(bob, edited), PlContactEdit::kDone);
    EXPECT_EQ(Rows(), (Strings{"Team", "Al", "Robert"}));
    EXPECT_GT(view.repaints, repaints);
    EXPECT_TRUE(manager.RemoveContact(bob));
    EXPECT_FALSE(manager.RemoveContact(bob));
    EXPECT_EQ(manager.UpdateContact(bob, edited), PlContactEdit::kNoSuchMember);
    EXPECT_EQ(Rows(), (Strings{"Team", "Al"}));
}
