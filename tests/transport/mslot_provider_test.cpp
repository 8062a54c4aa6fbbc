// The broadcast client over the real provider on a loopback LAN.

#include "../platform/netbios/nb_test_lan.h"
#include "test_wait.h"

#include "transport/core/pl_network_err.h"
#include "transport/mailslot/pl_provider_mailslots.h"
#include "transport/messaging/pl_mslot_messaging_client.h"

#include <gtest/gtest.h>

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

}  // namespace
