// The compose window and its recipient field: names marked with their
// pictures, sending off the user-interface thread with the length question
// and the cut, one failing recipient among three, Ctrl+Enter.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "../support/pl_temp_folder.h"
#include "../transport/fake_mailslots.h"
#include "../transport/fake_netbios_lan.h"
#include "../transport/messaging_station.h"
#include "ui/compose/c_new_msg_form.h"
#include "ui/compose/pl_list_edit.h"
#include "ui/main/c_main_form.h"

namespace {

TEST(ListEdit, MarksEveryNameAndKeepsTheChosenTypes)
{
    PlListEdit field;
    field.SetText("alice; LABGROUP, bob");
    PlRecipientField read = field.Field();
    EXPECT_EQ(read.pictures.size(), 3u);
    field.SetType(1, kRecipientBroadcast);
    field.AddRecipient("Team", kRecipientGroup);
    read = field.Field();
    const std::vector<PlRecipient> recipients = PlReadRecipients(read, {});
    ASSERT_EQ(recipients.size(), 3u);  // the group has no members here
    EXPECT_EQ(recipients[0], (PlRecipient{kRecipientPersonal, "alice", "alice"}));
    EXPECT_EQ(recipients[1], (PlRecipient{kRecipientBroadcast, "LABGROUP", "LABGROUP"}));
    EXPECT_EQ(recipients[2], (PlRecipient{kRecipientPersonal, "bob", "bob"}));
    EXPECT_EQ(read.TypeAt(0, read.text.size()), kRecipientPersonal);
    // Typed text: a new name gets its picture when the field is left.
    field.moveCursor(QTextCursor::End);
    QTest::keyClicks(&field, ", carol");
    field.MarkNames();
    EXPECT_EQ(PlReadRecipients(field.Field(), {}).back(), (PlRecipient{kRecipientPersonal, "carol", "carol"}));
}

class ComposeTest : public ::testing::Test {
protected:
    ComposeTest()
    {
        PlMessengerTransports transports{lan_.Entry(lan_.AddHost({0})), &mailslots_, nullptr, "HOSTA", 10};
        PlMessengerSetup setup;
        setup.names = {"HOSTA", "alice"};
        setup.archivePath = folder_.Path("msgarchive.qdb");
        setup.registryPath = folder_.Path("registry.reg");
        setup.autostartPath = folder_.Path("autostart.desktop");
        folder_.WriteFile("registry.reg",
                          "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Parlino Software\\Parlino Messenger\\Options]"
                          "\r\n\"MsgSendFailTextNotify\"=dword:00000001\r\n");
        form_ = std::make_unique<CMainForm>(setup, std::make_unique<PlMessengerNetwork>(transports));
        form_->Start();
        EXPECT_TRUE(WaitUntil([&] { return form_->Core().Network().Personal()->OpenNameCount() == 2; }));
    }

    bool WaitFor(const std::function<bool()>& done, int seconds = 20)
    {
        return WaitUntil(
            [&] {
                QCoreApplication::processEvents();
                return done();
            },
            std::chrono::seconds(seconds));
    }

    CNewMsgForm* Compose(const QString& to)
    {
        form_->OpenCompose(to, 1);
        auto* compose = qobject_cast<CNewMsgForm*>(form_->Windows().Find(CNewMsgForm::kKey));
        compose_ = compose;
        return compose;
    }

    // Answers the next message box with `button` as soon as it shows.
    void Answer(QMessageBox::StandardButton button, QString* text = nullptr)
    {
        QTimer::singleShot(0, [button, text] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
                    if (text != nullptr)
                        *text = box->text();
                    box->button(button)->click();
                }
            }
        });
    }

    PlTempFolder folder_;
    FakeNetbiosLan lan_;
    FakeMailslots mailslots_;
    std::unique_ptr<CMainForm> form_;
    QPointer<CNewMsgForm> compose_;
};

TEST_F(ComposeTest, OneFailingRecipientAmongThree)
{
    Station bob(lan_.Entry(lan_.AddHost({0})), 1, "HOSTB", "bob");
    Station carol(lan_.Entry(lan_.AddHost({0})), 1, "HOSTC", "carol");
    ASSERT_TRUE(bob.WaitReady() && carol.WaitReady());
    CNewMsgForm* compose = Compose("HOSTB; NOBODY, HOSTC");
    ASSERT_NE(compose, nullptr);
    compose->Message().setPlainText("first line\nsecond line");
    compose->Send();
    EXPECT_TRUE(compose->IsSending());
    EXPECT_FALSE(compose->SendButton().isEnabled());
    compose->Send();  // refused while the first runs
    ASSERT_TRUE(WaitFor([&] { return !compose->IsSending(); }));
    EXPECT_TRUE(compose_);  // the window stays
    EXPECT_EQ(bob.inbox.Count() + carol.inbox.Count(), 2u);
    EXPECT_EQ(bob.inbox.messages.at(0).text, "first line\r\nsecond line");
    EXPECT_EQ(form_->Core().Archive().Sent().RecordCount(), 2);
    ASSERT_NE(form_->ErrorPopup(), nullptr);
    EXPECT_TRUE(form_->ErrorPopup()->GetText().endsWith("Can't send message to:\nNOBODY (Recipient not found)\n"));
}

TEST_F(ComposeTest, TooLongAsksAndCutsAndCtrlEnterSends)
{
    Station bob(lan_.Entry(lan_.AddHost({0})), 1, "HOSTB", "bob");
    ASSERT_TRUE(bob.WaitReady());
    CNewMsgForm* compose = Compose("HOSTB");
    compose->show();
    compose->Message().setPlainText(QString(1601, 'x'));
    QString question;
    Answer(QMessageBox::Cancel, &question);
    QTest::keyClick(&compose->Message(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(question.startsWith("Message exceed maximum allowed length"));
    EXPECT_FALSE(compose->IsSending());  // Cancel: nothing is sent

    Answer(QMessageBox::Ok);
    QTest::keyClick(&compose->Message(), Qt::Key_Return, Qt::ControlModifier);
    ASSERT_TRUE(WaitFor([&] { return !compose_; }));  // everything sent: the window closed
    ASSERT_TRUE(WaitUntil([&] { return bob.inbox.Count() == 1; }));
    EXPECT_EQ(bob.inbox.messages[0].text, std::string(1600, 'x'));
    EXPECT_EQ(form_->Core().Archive().Sent().GetValue(0, "Message").Text(), std::string(1600, 'x'));

    // Enter alone starts a new line.
    compose = Compose("HOSTB");
    QTest::keyClicks(&compose->Message(), "a");
    QTest::keyClick(&compose->Message(), Qt::Key_Return);
    QTest::keyClicks(&compose->Message(), "b");
    EXPECT_EQ(compose->Message().toPlainText(), "a\nb");
    EXPECT_FALSE(compose->IsSending());
}

}  // namespace
