// The main window as the core's face: what a received message does by the
// options (popup, archive, nothing; blinking; the popup's countdown), the
// popup's text and links, and the disabled entries of windows this build
// does not have.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMenu>

#include "../support/pl_temp_folder.h"
#include "../transport/fake_mailslots.h"
#include "../transport/fake_netbios_lan.h"
#include "../transport/messaging_station.h"
#include "app/settings/pl_option_table.h"
#include "ui/archive/c_history_form.h"
#include "ui/main/c_main_form.h"
#include "ui/popup/pl_static_link.h"

namespace {

class MainFormTest : public ::testing::Test {
protected:
    MainFormTest()
    {
        PlMessengerTransports transports{lan_.Entry(lan_.AddHost({0})), &mailslots_, nullptr, "HOSTA", 10};
        PlMessengerSetup setup;
        setup.names = {"HOSTA", "alice"};
        setup.archivePath = folder_.Path("msgarchive.qdb");
        setup.registryPath = folder_.Path("registry.reg");
        setup.autostartPath = folder_.Path("autostart.desktop");
        form_ = std::make_unique<CMainForm>(setup, std::make_unique<PlMessengerNetwork>(transports));
        form_->Start();
    }

    void Receive(const std::string& text)
    {
        if (!sender_) {
            sender_ = std::make_unique<Station>(lan_.Entry(lan_.AddHost({0})), 1, "HOSTB", "bob");
            ASSERT_TRUE(sender_->WaitReady());
            ASSERT_TRUE(WaitUntil([&] { return form_->Core().Network().Personal()->OpenNameCount() == 2; }));
        }
        sender_->Client().Send(CMsg{kPersonalMessage, "HOSTA", "BOB", "HOSTA", text});
    }

    bool WaitFor(const std::function<bool()>& done)
    {
        return WaitUntil([&] {
            QCoreApplication::processEvents();
            return done();
        });
    }

    PlTempFolder folder_;
    FakeNetbiosLan lan_;
    FakeMailslots mailslots_;
    std::unique_ptr<Station> sender_;
    std::unique_ptr<CMainForm> form_;
};

TEST_F(MainFormTest, MessagePopsUpWithItsTextAndBlinks)
{
    Receive("hello <i>there</i>\x14second line");
    ASSERT_TRUE(WaitFor([&] { return form_->MessagePopup() != nullptr; }));
    CPopupMsgForm& popup = *form_->MessagePopup();
    EXPECT_TRUE(popup.isVisible());
    EXPECT_EQ(popup.Title(), "Messages received");
    EXPECT_TRUE(popup.GetText().endsWith("BOB wrote to HOSTA:\n\nhello <i>there</i>\nsecond line"))
        << popup.GetText().toStdString();
    ASSERT_EQ(popup.Links().size(), 4u);
    EXPECT_EQ(popup.Links()[0]->text(), "Reply");
    EXPECT_TRUE(form_->Tray().IsBlinking());
    EXPECT_EQ(popup.AutoHide(), 10);  // the default RecvMsgPopWndDeadline
}

TEST_F(MainFormTest, OlderAndNewerStepThroughTheReceivedMessages)
{
    Receive("first");
    ASSERT_TRUE(WaitFor([&] { return form_->MessagePopup() != nullptr; }));
    Receive("second");
    ASSERT_TRUE(WaitFor([&] { return form_->MessagePopup()->GetText().endsWith("second"); }));
    CPopupMsgForm& popup = *form_->MessagePopup();
    popup.Links()[1]->Click();  // "<<"
    EXPECT_TRUE(popup.GetText().endsWith("first"));
    popup.Links()[1]->Click();  // nothing older
    EXPECT_TRUE(popup.GetText().endsWith("first"));
    popup.Links()[2]->Click();  // ">>"
    EXPECT_TRUE(popup.GetText().endsWith("second"));
}

TEST_F(MainFormTest, OptionsChooseWhatAMessageDoes)
{
    PlArrivedMessage arrived{CMsg{kBroadcastMessage, "*", "BOB", "*", "hi"}, 0, true, {}};
    PlReceiveNotice nothing;
    nothing.action = PlReceiveAction::Nothing;
    form_->MessageArrived(arrived, nothing);
    EXPECT_EQ(form_->MessagePopup(), nullptr);
    EXPECT_TRUE(form_->Tray().IsBlinking());

    PlReceiveNotice staying;  // a popup without countdown: the blinking ends soon
    form_->MessageArrived(arrived, staying);
    ASSERT_NE(form_->MessagePopup(), nullptr);
    EXPECT_EQ(form_->MessagePopup()->AutoHide(), 0);
    for (int tick = 0; tick <= CMainForm::kBlinkTicksAfterSeen; ++tick)
        form_->Tray().Tick();
    EXPECT_FALSE(form_->Tray().IsBlinking());
}

TEST_F(MainFormTest, ErrorPopupStandsAboveTheMessagePopup)
{
    form_->MessageArrived(PlArrivedMessage{CMsg{kPersonalMessage, "HOSTA", "BOB", "HOSTA", "hi"}, 0, true, {}},
                          PlReceiveNotice{});
    form_->ShowErrorPopup("Can't send message to:\r\nNOBODY (Recipient not found)\r\n");
    ASSERT_NE(form_->ErrorPopup(), nullptr);
    EXPECT_EQ(form_->ErrorPopup()->AutoHide(), CMainForm::kErrorPopupSeconds);
    EXPECT_TRUE(form_->ErrorPopup()->Links().empty());
    EXPECT_TRUE(form_->ErrorPopup()->GetText().endsWith("NOBODY (Recipient not found)\n"));
    EXPECT_EQ(form_->ErrorPopup()->geometry().bottom() + 1 + 10, form_->MessagePopup()->geometry().top());
}

TEST_F(MainFormTest, TheArchiveWindowIsOneAndOpensOnThePageAsked)
{
    form_->ShowArchive(1);
    auto* archive = qobject_cast<CHistoryForm*>(form_->Windows().Find(CHistoryForm::kKey));
    ASSERT_NE(archive, nullptr);
    EXPECT_TRUE(archive->isVisible());
    EXPECT_EQ(archive->CurrentPage(), 1);
    archive->hide();
    form_->TrayMenu().actions()[1]->trigger();  // "Read messages...": the page stays
    EXPECT_EQ(form_->Windows().Find(CHistoryForm::kKey), archive);
    EXPECT_TRUE(archive->isVisible());
    EXPECT_EQ(archive->CurrentPage(), 1);
    form_->SetArchiveTopmost(true);
    EXPECT_TRUE(archive->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(archive->isVisible());

    PlReceiveNotice openArchive;  // RecvMsgMainAct 2
    openArchive.action = PlReceiveAction::OpenArchive;
    form_->MessageArrived(PlArrivedMessage{CMsg{kPersonalMessage, "HOSTA", "BOB", "HOSTA", "hi"}, 0, true, {}},
                          openArchive);
    EXPECT_EQ(archive->CurrentPage(), 0);
    EXPECT_EQ(form_->MessagePopup(), nullptr);
}

TEST_F(MainFormTest, MenuOffersEveryWindow)
{
    const QList<QAction*> actions = form_->TrayMenu().actions();
    QStringList enabled;
    for (QAction* action : actions)
        if (!action->isSeparator() && action->isEnabled())
            enabled << action->text();
    EXPECT_EQ(enabled,
              (QStringList{"Write message...", "Read messages...", "Change options...", "About", "Exit Parlino"}));
}

}  // namespace
