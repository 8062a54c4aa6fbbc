// The contact windows: where the list drops down, which commands a row
// offers, the edit window's checks in their order, a contact moved to a new
// group, names the contacts file cannot keep, one new-contact window.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include "../support/pl_temp_folder.h"
#include "../transport/fake_mailslots.h"
#include "../transport/fake_netbios_lan.h"
#include "ui/contacts/c_contact_edit_form.h"
#include "ui/contacts/c_contacts_form.h"
#include "ui/contacts/pl_picker_placement.h"
#include "ui/main/c_main_form.h"

namespace {

TEST(ContactList, DropsDownBesideThePointAndStaysOnTheScreen)
{
    const QRect screen(0, 0, 1024, 768);
    const QSize size(230, 300);
    EXPECT_EQ(PlPickerPosition({500, 400}, size, screen), QPoint(500, 250));
    EXPECT_EQ(PlPickerPosition({1000, 400}, size, screen), QPoint(770, 250));  // flips to the left
    EXPECT_EQ(PlPickerPosition({500, 760}, size, screen), QPoint(500, 768 - 5 - 300));
    EXPECT_EQ(PlPickerPosition({500, 10}, size, screen), QPoint(500, 0));
    EXPECT_EQ(PlPickerPosition({100, 400}, QSize(230, 900), screen).y(), 0);
}

class ContactWindowsTest : public ::testing::Test {
protected:
    ContactWindowsTest()
    {
        folder_.WriteFile("contacts.txt", "1;ALICE;Alice;Friends;1\r\n2;LABGROUP;The lab;Friends;1\r\n");
        PlMessengerTransports transports{lan_.Entry(lan_.AddHost({0})), &mailslots_, nullptr, "HOSTA", 10};
        PlMessengerSetup setup;
        setup.names = {"HOSTA", "me"};
        setup.contactsPath = folder_.Path("contacts.txt");
        setup.registryPath = folder_.Path("registry.reg");
        setup.autostartPath = folder_.Path("autostart.desktop");
        setup.contactPollMs = 600000;
        form_ = std::make_unique<CMainForm>(setup, std::make_unique<PlMessengerNetwork>(transports));
        form_->Start();
    }
    PlContactsManager& Contacts() { return form_->Core().Contacts(); }

    PlTempFolder folder_;
    FakeNetbiosLan lan_;
    FakeMailslots mailslots_;
    std::unique_ptr<CMainForm> form_;
};

TEST_F(ContactWindowsTest, GroupRowsOfferOnlyWriteMessage)
{
    CContactsForm list(*form_);
    ASSERT_TRUE(Contacts().IsGroupRow(0));
    EXPECT_FALSE(list.OffersContactCommands(0));
    EXPECT_TRUE(list.OffersContactCommands(1));
    std::vector<std::int32_t> chosen;
    list.ShowAt({100, 100}, [&](std::int32_t row) { chosen.push_back(row); });
    list.WriteTo(0);  // a group row is a recipient too
    EXPECT_EQ(chosen, (std::vector<std::int32_t>{0}));
    EXPECT_FALSE(list.isVisible());
}

TEST_F(ContactWindowsTest, ChecksInOrderThenSaves)
{
    CContactEditForm edit(Contacts(), std::nullopt);
    edit.RecipientEdit().setText("   ");
    EXPECT_EQ(edit.Save(), "Recipient name not specified!");  // also with the others empty
    edit.RecipientEdit().setText("BOB");
    EXPECT_EQ(edit.Save(), "Display name not specified!");
    edit.DisplayEdit().setText("Bob");
    EXPECT_EQ(edit.Save(), "Group name not specified!");
    edit.GroupEdit().setCurrentText("New group");
    edit.RecipientEdit().setText("BOB;EVE");
    EXPECT_EQ(edit.Save(), "Names must not contain \";\" or line breaks!");
    edit.RecipientEdit().setText("BOB");
    ASSERT_EQ(edit.Save(), "");
    const auto tree = Contacts().Tree();
    ASSERT_EQ(tree.size(), 2u);
    EXPECT_EQ(tree[1].name, "New group");  // created for it
}

TEST_F(ContactWindowsTest, AContactMovesToItsNewGroup)
{
    const auto alice = Contacts().ItemAt(1);
    ASSERT_TRUE(alice && alice->record.realName == "ALICE");
    CContactEditForm edit(Contacts(), alice);
    EXPECT_EQ(edit.DisplayEdit().text(), "Alice");
    EXPECT_TRUE(edit.UserButton().isChecked());
    edit.GroupEdit().setCurrentText("Work");
    ASSERT_EQ(edit.Save(), "");
    const auto tree = Contacts().Tree();
    ASSERT_EQ(tree.size(), 2u);
    ASSERT_EQ(tree[1].name, "Work");
    EXPECT_EQ(tree[1].members.at(0).record.realName, "ALICE");
    EXPECT_EQ(tree[0].members.size(), 1u);
}

TEST_F(ContactWindowsTest, OneNewContactWindowAtATime)
{
    form_->ShowContactEdit(std::nullopt);
    QWidget* first = form_->Windows().Find(CContactEditForm::kKey);
    form_->ShowContactEdit(std::nullopt);
    EXPECT_EQ(form_->Windows().Find(CContactEditForm::kKey), first);
    EXPECT_EQ(form_->Windows().Count(), 1u);
    form_->ShowContactEdit(Contacts().ItemAt(1));  // an existing contact gets its own
    EXPECT_EQ(form_->Windows().Count(), 2u);
}

}  // namespace
