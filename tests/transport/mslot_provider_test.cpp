// The broadcast client over the real provider on a loopback LAN.

#include "../platform/netbios/nb_test_lan.h"
#include "test_wait.h"

#include "transport/browser/pl_messenger_names.h"
#include "transport/browser/pl_network_browser.h"
#include "transport/browser/pl_provider_net_enum.h"
#include "transport/core/pl_network_err.h"
#include "transport/mailslot/pl_provider_mailslots.h"
#include "transport/messaging/pl_mslot_messaging_client.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>

namespace {

struct Inbox {
    void OnMessage(CMsg msg)
    {
        std::lock_guard lock(mutex);
        messages.push_back(std::move(msg));
    }
    std::vector<CMsg> Messages()
    {
        std::lock_guard lock(mutex);
        return messages;
    }
    std::mutex mutex;
    std::vector<CMsg> messages;
};

struct Station {
    Station(pl::nb::PlNetbiosProvider& provider, const std::string& name)
        : mailslots(provider.Mailslots()), client(mailslots, name, "user")
    {
        client.SetReceiver(&receiver);
        client.CreateThread();
    }
    PlProviderMailslots mailslots;
    Inbox inbox;
    PlVoidUnaryMemberFunction<Inbox, CMsg> receiver{&inbox, &Inbox::OnMessage};
    PlMslotMessagingClient client;
};

TEST(BroadcastOverProvider, WorkgroupAndComputerBroadcastsReachTheirReceivers)
{
    pl::nb::test::TestLan lan(3);
    std::vector<std::unique_ptr<Station>> stations;
    for (int i = 0; i < 3; ++i)
        stations.push_back(std::make_unique<Station>(lan.Host(i), "HOST" + std::to_string(i)));
    for (auto& station : stations)
        ASSERT_TRUE(WaitUntil([&] { return station->client.OpenMailslotCount() == 1; }));

    stations[0]->client.Send(CMsg{kBroadcastMessage, "*", "HOST0", "*", "hello all"});
    for (auto& station : stations) {
        ASSERT_TRUE(WaitUntil([&] { return station->inbox.Messages().size() == 1; }));
        const CMsg msg = station->inbox.Messages().front();
        EXPECT_EQ(msg.from, "HOST0");
        EXPECT_EQ(msg.to, "*");
        EXPECT_EQ(msg.text, "hello all");
    }

    ASSERT_EQ(pl::nb::test::AddName(lan.Host(2), "HOST2", 0x03), NRC_GOODRET);
    stations[0]->client.Send(CMsg{kBroadcastMessage, "host2", "HOST0", "HOST2", "just you"});
    ASSERT_TRUE(WaitUntil([&] { return stations[2]->inbox.Messages().size() == 2; }));
    EXPECT_EQ(stations[2]->inbox.Messages().back().text, "just you");
    EXPECT_EQ(stations[1]->inbox.Messages().size(), 1u);

    EXPECT_THROW(stations[0]->client.Send(CMsg{kBroadcastMessage, "NOBODY", "HOST0", "NOBODY", "x"}),
                 PlUnknownNetworkErr);
    stations.clear();  // the clients stop before the providers
}

TEST(BrowserOverProvider, FindsTheAnnouncedHostsAndTheirMessengerNames)
{
    pl::nb::test::TestLan lan(3);
    ASSERT_EQ(pl::nb::test::AddName(lan.Host(1), "HOST1", 0x03), NRC_GOODRET);
    ASSERT_EQ(pl::nb::test::AddName(lan.Host(1), "ALICE", 0x03), NRC_GOODRET);
    // A running messenger's mailslot gives the computer its HOST1<00>, which
    // the adapter status asks for.
    ASSERT_NE(lan.Host(1).Mailslots().CreateMailslot("\\\\.\\MAILSLOT\\MESSNGR", 400),
              pl::nb::NbMailslotService::kInvalidHandle);
    PlNetbiosNetwork network([&](NCB* ncb) { return lan.Host(0).Netbios(ncb); });
    network.Rebuild();
    PlProviderNetEnum enumeration(lan.Host(0).Mailslots());
    PlNetworkBrowser browser(enumeration);
    browser.SetNetwork(&network);
    ASSERT_TRUE(WaitUntil([&] {
        browser.Refresh();
        const auto tree = browser.TreeCopy();
        return tree->ChildCount() == 1 && tree->Child(0).ChildCount() == 3;
    }));
    const auto tree = browser.TreeCopy();
    EXPECT_EQ(tree->Child(0).Info().name, "WORKGROUP");
    ASSERT_TRUE(WaitUntil([&] { return LookUpMessengerNames(network, "host1").size() == 2; }))
        << "HOST1<00> answers once its registration is complete";
    EXPECT_EQ(tree->Child(0).Child(1).Info().name, "HOST1");

    std::mutex mutex;
    std::vector<PlNetResourceInfo> records;
    std::atomic<bool> finished{false};
    struct Sink {
        std::mutex* mutex;
        std::vector<PlNetResourceInfo>* records;
        std::atomic<bool>* finished;
        void OnResult(PlNetResourceInfo info)
        {
            std::lock_guard lock(*mutex);
            records->push_back(std::move(info));
        }
        void OnFinished() { *finished = true; }
    } sink{&mutex, &records, &finished};
    PlVoidUnaryMemberFunction<Sink, PlNetResourceInfo> result(&sink, &Sink::OnResult);
    PlVoidNullaryMemberFunction<Sink> done(&sink, &Sink::OnFinished);
    browser.Search(&result, &done);
    ASSERT_TRUE(WaitUntil([&] { return finished.load(); }));
    std::lock_guard lock(mutex);
    std::vector<std::string> host1;
    for (const auto& record : records)
        if (record.computer == "HOST1")
            host1.push_back(record.name + "/" + std::to_string(record.flag));
    EXPECT_EQ(host1, (std::vector<std::string>{"HOST1/1", "ALICE/1"}));
}

}  // namespace
