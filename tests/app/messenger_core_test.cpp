// The messenger core on the in-memory NetBIOS LAN: the order of its start-up
// against its face, the data directory and the archive's days, the receive
// path from the wire to the archive row and the face, the popup and reply
// operations, the tray status, and shutdown while messages arrive.

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>

#include "../support/pl_temp_folder.h"
#include "../transport/fake_mailslots.h"
#include "../transport/fake_netbios_lan.h"
#include "../transport/messaging_station.h"
#include "app/compose/pl_recipients.h"
#include "app/core/pl_messenger_core.h"
#include "app/settings/pl_option_table.h"
#include "app/texts/pl_builtin_texts.h"
#include "app/texts/pl_text_table.h"
#include "transport/core/pl_network_err.h"

namespace {

namespace id = pl::option_id;

// A face whose thread is the test's: posted work waits until RunPosted.
class RecordingFront : public PlMessengerFront {
public:
    void Post(std::function<void()> work) override
    {
        std::lock_guard lock(mutex_);
        posted_.push_back(std::move(work));
    }
    void RunPosted()
    {
        for (;;) {
            std::function<void()> work;
            {
                std::lock_guard lock(mutex_);
                if (posted_.empty())
                    return;
                work = std::move(posted_.front());
                posted_.pop_front();
            }
            work();
        }
    }

    void BuildTray() override { Step("tray"); }
    void BuildContactList(PlContactsManager&) override { Step("contacts"); }
    void RegisterHotKeys() override { Step("hotkeys"); }
    void RemoveTray() override { Step("remove tray"); }
    void CloseWindows() override { Step("close windows"); }
    void MessageArrived(const PlArrivedMessage& message, const PlReceiveNotice& notice) override
    {
        arrived.push_back(message);
        notices.push_back(notice);
    }
    void TrayStatusChanged(const PlTrayStatus& status) override { statuses.push_back(status); }

    std::function<void(const std::string&)> onStep;
    std::vector<std::string> steps;
    std::vector<PlArrivedMessage> arrived;
    std::vector<PlReceiveNotice> notices;
    std::vector<PlTrayStatus> statuses;

private:
    void Step(const std::string& name)
    {
        steps.push_back(name);
        if (onStep)
            onStep(name);
    }

    std::mutex mutex_;
    std::deque<std::function<void()>> posted_;
};

// Another computer of the LAN, sending to HOSTA.
struct Sender {
    Sender(FakeNetbiosLan& lan, const std::string& computer)
        : station(lan.Entry(lan.AddHost({0})), 1, computer, computer + "-user")
    {
        EXPECT_TRUE(station.WaitReady());
    }
    Station station;
};

class MessengerCoreTest : public ::testing::Test {
protected:
    std::unique_ptr<PlMessengerCore> MakeCore(std::set<std::uint8_t> lanas = {0})
    {
        host_ = lan_.AddHost(lanas);
        PlMessengerTransports transports{lan_.Entry(host_), &mailslots_, nullptr, "HOSTA", 10};
        PlMessengerSetup setup;
        setup.names = {"HOSTA", "alice"};
        setup.dataDirectory = folder_.Path("data/Parlino Messenger/2.0.1.589");
        setup.archivePath = setup.dataDirectory + "/msgarchive.qdb";
        setup.contactsPath = setup.dataDirectory + "/contacts.txt";
        setup.registryPath = folder_.Path("config/registry.reg");
        setup.autostartPath = folder_.Path("config/autostart/parlino.desktop");
        setup.trayPeriodMs = 10;
        return std::make_unique<PlMessengerCore>(setup, front_, std::make_unique<PlMessengerNetwork>(transports));
    }

    void WriteOption(const char* name, int value)
    {
        folder_.WriteFile("config/registry.reg",
                          "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Parlino Software\\Parlino Messenger\\"
                          "Options]\r\n\"" +
                              std::string(name) + "\"=dword:" + std::to_string(value) + "\r\n");
    }

    // Waits until the core's names are registered on every adapter.
    static bool Ready(PlMessengerCore& core, std::size_t adapters)
    {
        return WaitUntil([&] {
            return core.Network().Personal() != nullptr && core.Network().Personal()->OpenNameCount() == 2 * adapters;
        });
    }

    // Delivers `text` from another computer of the LAN to HOSTA.
    void Receive(Station& sender, const std::string& text)
    {
        sender.Client().Send(CMsg{kPersonalMessage, "HOSTA", "BOB", "HOSTA", text});
    }

    bool WaitArrived(PlMessengerCore&, std::size_t count)
    {
        return WaitUntil([&] {
            front_.RunPosted();
            return front_.arrived.size() >= count;
        });
    }

    PlTempFolder folder_;
    FakeNetbiosLan lan_;
    FakeMailslots mailslots_;
    FakeNetbiosLan::HostId host_ = 0;
    RecordingFront front_;
};

TEST_F(MessengerCoreTest, StartsInOrderAndShutsDownInTheSafeOrder)
{
    auto core = MakeCore();
    const std::string directory = folder_.Path("data/Parlino Messenger/2.0.1.589");
    front_.onStep = [&](const std::string& step) {
        if (step == "tray") {
            EXPECT_EQ(PlTextTable::Instance().Text(401), "Parlino Messenger");  // texts first
            EXPECT_FALSE(core->Archive().IsOpen());
            EXPECT_FALSE(std::filesystem::exists(directory));
        } else if (step == "contacts") {
            EXPECT_TRUE(std::filesystem::is_directory(directory));  // parent included
            EXPECT_TRUE(core->Archive().IsOpen());
            EXPECT_EQ(core->Network().Personal(), nullptr);
        } else if (step == "hotkeys") {
            EXPECT_NE(core->Network().Personal(), nullptr);
            EXPECT_NE(core->Network().Broadcast(), nullptr);
        } else if (step == "close windows") {
            EXPECT_NE(core->Network().Personal(), nullptr);  // a window may still send
            EXPECT_TRUE(core->Archive().IsOpen());
        }
    };
    core->Start();
    core->Shutdown();
    EXPECT_EQ(front_.steps, (std::vector<std::string>{"tray", "contacts", "hotkeys", "remove tray", "close windows"}));
    EXPECT_EQ(core->Network().Personal(), nullptr);
    EXPECT_FALSE(core->Archive().IsOpen());
    // The settings were written: every option, with its default.
    EXPECT_NE(folder_.ReadFile("config/registry.reg").find("\"MsgArcShowDays\"=dword:00000003"), std::string::npos);
}

TEST_F(MessengerCoreTest, ArchiveShowsAtLeastOneDay)
{
    WriteOption("MsgArcShowDays", 0);
    auto core = MakeCore();
    core->Start();
    EXPECT_EQ(core->Archive().Received().Filter().days, 1);
    EXPECT_EQ(core->Archive().Dialog().Filter().days, 1);

    struct NoHooks : PlOptionHooks {
        void UnregisterHotKey(std::int32_t) override {}
        void RegisterHotKey(std::int32_t, std::int32_t) override {}
        void EnableHotKeys(bool) override {}
        void SetArchiveTopmost(bool) override {}
        void SetArchiveShowDays(std::int32_t) override { ADD_FAILURE() << "the core applies the days itself"; }
    } face;
    core->Options().SetPendingOption(id::kMsgArcShowDays, OptionValue::FromInteger(7));
    core->ApplyPendingOptions(face);
    EXPECT_EQ(core->Archive().Sent().Filter().days, 7);
    EXPECT_TRUE(core->Archive().Sent().IsOpen());
    core->Options().SetPendingOption(id::kMsgArcShowDays, OptionValue::FromInteger(1));
    core->ApplyPendingOptions(face);
    EXPECT_EQ(core->Archive().Received().Filter().days, 1);
}

TEST_F(MessengerCoreTest, ReceivedMessageIsArchivedThenShownOnTheFacesThread)
{
    WriteOption("RecvMsgMainAct", 3);
    auto core = MakeCore();
    core->Start();
    ASSERT_TRUE(Ready(*core, 1));
    EXPECT_FALSE(core->PopupReplyRecipient());
    EXPECT_FALSE(core->ReplyToLastRecipient());

    Sender sender(lan_, "HOSTB");
    Receive(sender.station, "first line\x14second line");
    // Archived on the client's thread before the face hears of it.
    ASSERT_TRUE(WaitUntil([&] { return core->Archive().Received().RecordCount() == 1; }));
    EXPECT_TRUE(front_.arrived.empty());
    ASSERT_TRUE(WaitArrived(*core, 1));

    const PlArrivedMessage& arrived = front_.arrived[0];
    EXPECT_EQ(arrived.msg.from, "BOB");
    EXPECT_EQ(arrived.msg.text, "first line\r\nsecond line");
    EXPECT_TRUE(arrived.archived);
    EXPECT_EQ(front_.notices[0].action, PlReceiveAction::Nothing);
    EXPECT_TRUE(front_.notices[0].blink);
    EXPECT_EQ(core->Archive().Received().GetValue(0, "Message").Text(), "first line\r\nsecond line");
    EXPECT_EQ(core->PopupReplyRecipient(), "BOB");
    EXPECT_EQ(core->ReplyToLastRecipient(), "BOB");
    const std::string popup = core->MessagePopupText(PlCLocaleDateTimeFormat());
    EXPECT_NE(popup.find("\r\nBOB wrote to HOSTA:\r\n\r\nfirst line\r\nsecond line"), std::string::npos) << popup;
}

TEST_F(MessengerCoreTest, PopupStepsThroughTheReceivedMessages)
{
    auto core = MakeCore();
    core->Start();
    ASSERT_TRUE(Ready(*core, 1));
    Sender sender(lan_, "HOSTB");
    for (const char* text : {"one", "two", "three"}) {
        Receive(sender.station, text);
        ASSERT_TRUE(WaitUntil([&] { return core->PopupReplyRecipient().has_value(); }));
    }
    ASSERT_TRUE(WaitArrived(*core, 3));
    PlCLocaleDateTimeFormat format;
    core->PopupShowsNewest();
    EXPECT_FALSE(core->PopupNewer());  // already the newest
    ASSERT_TRUE(core->PopupOlder());
    EXPECT_NE(core->MessagePopupText(format).find("two"), std::string::npos);
    ASSERT_TRUE(core->PopupOlder());
    EXPECT_NE(core->MessagePopupText(format).find("one"), std::string::npos);
    EXPECT_FALSE(core->PopupOlder());  // the oldest
    ASSERT_TRUE(core->PopupNewer());
    EXPECT_NE(core->MessagePopupText(format).find("two"), std::string::npos);
}

TEST(TrayStatus, FollowsAdaptersAndRegisteredComputerNames)
{
    PlTextTable& texts = PlTextTable::Instance();
    texts.AddDefaults(kPlBuiltinTexts, kPlBuiltinTextCount);
    EXPECT_EQ(PlComputeTrayStatus(0, 0, texts),
              (PlTrayStatus{"Parlino Messenger\nNetwork not found", PlTrayIcon::Offline}));
    EXPECT_EQ(PlComputeTrayStatus(2, 1, texts).tip, "Parlino Messenger\nRegistering on the net...");
    EXPECT_EQ(PlComputeTrayStatus(2, 2, texts), (PlTrayStatus{"Parlino Messenger\nOnline", PlTrayIcon::Online}));
}

TEST_F(MessengerCoreTest, TrayGoesOnlineOnlyWhenTheComputerNameIsRegisteredEverywhere)
{
    auto core = MakeCore({0, 1});
    core->Start();
    ASSERT_TRUE(WaitUntil([&] {
        front_.RunPosted();
        return !front_.statuses.empty() && front_.statuses.back().icon == PlTrayIcon::Online;
    }));
    for (const PlTrayStatus& status : front_.statuses)
        EXPECT_EQ(status.icon == PlTrayIcon::Online, status.tip == "Parlino Messenger\nOnline");
    lan_.SetLanas(host_, {});
    ASSERT_TRUE(WaitUntil([&] {
        front_.RunPosted();
        return front_.statuses.back().tip == "Parlino Messenger\nNetwork not found";
    }));
}

// Messages arrive on client threads while the face reads the views and while
// the core shuts down: nothing is shown after the shutdown began, and the
// sanitizers see no race.
TEST_F(MessengerCoreTest, ViewsAreReadWhileMessagesArriveAndShutdownWhileTheyDo)
{
    auto core = MakeCore();
    core->Start();
    ASSERT_TRUE(Ready(*core, 1));
    Sender first(lan_, "HOSTB");
    Sender second(lan_, "HOSTC");
    std::atomic<bool> stop{false};
    std::atomic<int> sent{0};
    auto sendLoop = [&](Station& station) {
        for (int i = 0; !stop; ++i) {
            try {
                Receive(station, "message " + std::to_string(i));
                ++sent;
            } catch (const PlNetworkErr&) {
            }
        }
    };
    std::thread a(sendLoop, std::ref(first.station));
    std::thread b(sendLoop, std::ref(second.station));
    ASSERT_TRUE(WaitUntil([&] {
        front_.RunPosted();
        PlMsgLogDataSet2& view = core->Archive().Received();
        for (std::int32_t i = 0; i < view.RecordCount(); ++i)
            view.GetValue(i, "Message");
        return front_.arrived.size() >= 20;
    }));
    core->Shutdown();
    const std::size_t shown = front_.arrived.size();
    stop = true;
    a.join();
    b.join();
    front_.RunPosted();
    EXPECT_EQ(front_.arrived.size(), shown);
    EXPECT_GE(sent.load(), 20);
}

// One recipient of three cannot be reached: the other two get the message
// and their archive rows (type "2", all at the send's time), and the error
// popup's text lists the one that failed.
TEST_F(MessengerCoreTest, ASendReachesWhomItCanAndListsTheRest)
{
    WriteOption("MsgSendFailTextNotify", 1);
    auto core = MakeCore();
    core->Start();
    ASSERT_TRUE(Ready(*core, 1));
    Sender bob(lan_, "HOSTB");
    Sender carol(lan_, "HOSTC");
    const std::vector<PlRecipient> recipients{{kRecipientPersonal, "HOSTB", "HOSTB"},
                                              {kRecipientPersonal, "NOBODY", "NOBODY"},
                                              {kRecipientPersonal, "HOSTC", "HOSTC"}};
    const std::uint64_t time = core->Now();
    const auto outcomes = core->Send(recipients, "hello all");
    ASSERT_EQ(outcomes.size(), 3u);
    EXPECT_EQ(outcomes[1].result, PlSendResult::NotFound);
    const PlSendReport report = core->RecordSent(outcomes, "hello all", time);
    EXPECT_FALSE(report.allSent);
    EXPECT_EQ(report.errorText, "Can't send message to:\r\nNOBODY (Recipient not found)\r\n");
    PlMsgLogOut& sent = core->Archive().Sent();
    ASSERT_EQ(sent.RecordCount(), 2);
    EXPECT_EQ(sent.GetValue(0, "Origin").Text(), "HOSTA");
    EXPECT_EQ(sent.GetValue(0, "Type").Text(), "2");
    EXPECT_EQ(sent.GetValue(0, "Received").Time(), sent.GetValue(1, "Received").Time());
    // A receiver hands a message on after it has answered its end.
    EXPECT_TRUE(WaitUntil([&] { return bob.station.inbox.Count() + carol.station.inbox.Count() == 2u; }));

    const auto none = core->Send({{kRecipientPersonal, "HOSTB", "HOSTB"}}, "again");
    EXPECT_TRUE(core->RecordSent(none, "again", core->Now()).allSent);
}

}  // namespace
