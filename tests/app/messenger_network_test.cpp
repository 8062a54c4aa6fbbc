// The messenger's network for a process that only sends, on the in-memory
// NetBIOS LAN: its name is open on every adapter as soon as it starts, its
// messages arrive, nobody can call it, and its names go with it.

#include <gtest/gtest.h>

#include "../transport/fake_mailslots.h"
#include "../transport/fake_netbios_lan.h"
#include "../transport/messaging_station.h"
#include "app/core/pl_messenger_network.h"
#include "platform/text/pl_netbios_name.h"
#include "transport/netbios/nb_primitives.h"

namespace {

TEST(MessengerNetworkTest, SendOnlySendsFromItsNameAndListensForNothing)
{
    FakeNetbiosLan lan;
    FakeMailslots mailslots;
    const auto sender = lan.AddHost({0, 1});
    const auto peerHost = lan.AddHost({0, 1});
    Station peer(lan.Entry(peerHost), 2, "HOSTB", "bob");
    ASSERT_TRUE(peer.WaitReady());
    {
        PlMessengerNetwork network(PlMessengerTransports{lan.Entry(sender), &mailslots, nullptr, "HOSTA", 10});
        network.StartSendOnly();
        network.RegisterClients();

        // Open at once, on both adapters, under the computer name alone.
        ASSERT_NE(network.Personal(), nullptr);
        EXPECT_EQ(network.Personal()->OpenNameCount(), 2U);
        EXPECT_TRUE(network.WaitForNames(0));
        EXPECT_EQ(lan.NamesOf(sender, 0), std::vector<std::string>{"HOSTA<3>"});
        EXPECT_EQ(lan.NamesOf(sender, 1), std::vector<std::string>{"HOSTA<3>"});

        network.Registry().Send(CMsg{kPersonalMessage, "HOSTB", "ALICE", "HOSTB", "hello"});
        ASSERT_TRUE(WaitUntil([&] { return peer.inbox.Count() == 1; }));
        {
            std::lock_guard lock(peer.inbox.mutex);
            EXPECT_EQ(peer.inbox.messages[0].from, "ALICE");
            EXPECT_EQ(peer.inbox.messages[0].text, "hello");
        }

        // The name is there, but no listen waits on it: a call is not answered.
        for (const std::uint8_t lana : {0, 1}) {
            NCB call = pl::ncb::MakeNcb(NCBCALL, lana);
            pl::ncb::SetName(call.ncb_callname, pl::MakeNetbiosName("HOSTA", pl::ncb::kMessengerSuffix));
            pl::ncb::SetName(call.ncb_name, pl::MakeNetbiosName("HOSTB", pl::ncb::kMessengerSuffix));
            EXPECT_EQ(lan.Submit(peerHost, &call), NRC_NOCALL);
        }
    }
    EXPECT_TRUE(lan.NamesOf(sender, 0).empty());
    EXPECT_TRUE(lan.NamesOf(sender, 1).empty());
}

}  // namespace
