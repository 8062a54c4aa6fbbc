// The NetBIOS layer and the personal client over the real provider: hosts of a
// loopback test LAN exchange messages through real sockets.

#include "../platform/netbios/nb_fake_interfaces.h"
#include "../platform/netbios/nb_test_lan.h"
#include "messaging_station.h"

#include "transport/core/pl_network_err.h"
#include "transport/messaging/pl_smb_messaging_client.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace {

using pl::nb::test::FakeInterfaces;
using pl::nb::test::TestLan;

// One computer of the loopback LAN running the personal client.
class ProviderStation : public Station {
public:
    ProviderStation(pl::nb::PlNetbiosProvider& provider, const std::string& user)
        : Station([&provider](NCB* ncb) { return provider.Netbios(ncb); }, 1, provider.ComputerName(), user, 50)
    {
    }
};

CMsg To(const std::string& name, const std::string& text)
{
    return CMsg{kPersonalMessage, name, "ALICE", name, text};
}

TEST(MessagingOverProvider, MessagesOfEverySizeTravelBothWays)
{
    TestLan lan(2);
    ProviderStation a(lan.Host(0), "ALICE");
    ProviderStation b(lan.Host(1), "BOB");
    ASSERT_TRUE(a.WaitReady() && b.WaitReady());

    std::string long1601;
    for (int i = 0; i < 1601; ++i)
        long1601 += static_cast<char>('A' + i % 26);
    a.Client().Send(To("HOST1", "hi"));
    a.Client().Send(To("bob", std::string(129, 'm')));
    a.Client().Send(To("HOST1", long1601));
    a.Client().Send(To("HOST1", "Zeile 1\r\nZeile 2 — Grüße"));
    b.Client().Send(To("HOST0", "back"));
    ASSERT_TRUE(WaitUntil([&] { return b.inbox.Count() == 4 && a.inbox.Count() == 1; }));
    EXPECT_EQ(b.inbox.messages[0].text, "hi");
    EXPECT_EQ(b.inbox.messages[0].from, "ALICE");
    EXPECT_EQ(b.inbox.messages[0].to, "HOST1");
    EXPECT_EQ(b.inbox.messages[1].text, std::string(129, 'm'));
    EXPECT_EQ(b.inbox.messages[1].to, "bob");
    EXPECT_EQ(b.inbox.messages[2].text, long1601.substr(0, 1600));
    EXPECT_EQ(b.inbox.messages[3].text, "Zeile 1\r\nZeile 2 — Grüße");  // raw UTF-8: CP850 has no dash
    EXPECT_EQ(a.inbox.messages[0].text, "back");
}

TEST(MessagingOverProvider, AMissingRecipientFailsWithAddrNotFoundAfterTheCallLimit)
{
    TestLan lan(2);
    ProviderStation a(lan.Host(0), "ALICE");
    ASSERT_TRUE(a.WaitReady());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(a.Client().Send(To("NOBODY", "hello?")), PlAddrNotFoundErr);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(500));
    EXPECT_LT(took, std::chrono::seconds(10));
}

TEST(MessagingOverProvider, TwentySendersAtOnceReachOneReceiverExactlyOnce)
{
    constexpr int kSenders = 20;
    constexpr int kMessages = 3;
    TestLan lan(kSenders + 1);
    ProviderStation receiver(lan.Host(0), "RITA");
    std::vector<std::unique_ptr<ProviderStation>> senders;
    for (int i = 1; i <= kSenders; ++i)
        senders.push_back(std::make_unique<ProviderStation>(lan.Host(i), "USER" + std::to_string(i)));
    ASSERT_TRUE(receiver.WaitReady());
    for (auto& sender : senders)
        ASSERT_TRUE(sender->WaitReady());

    auto textOf = [](int sender, int message) {
        const std::string body = "from " + std::to_string(sender) + " #" + std::to_string(message);
        return message % 2 == 0 ? body : body + std::string(400, '-') + body;
    };
    std::vector<Station*> stations;
    for (auto& sender : senders)
        stations.push_back(sender.get());
    EXPECT_EQ(SendAllAtOnce(stations, "HOST0", kMessages, 20, textOf), 0);
    ASSERT_TRUE(WaitUntil([&] { return receiver.inbox.Count() == kSenders * kMessages; }));
    EXPECT_TRUE(EachDeliveredOnce(receiver.inbox, kSenders, kMessages, textOf));
}

// Sends until a call gets through: names take a registration's time to
// come to a new adapter.
bool SendWhenReachable(PlSmbMessagingClient& client, const CMsg& msg)
{
    return WaitUntil([&] {
        try {
            client.Send(msg);
            return true;
        } catch (const PlAddrNotFoundErr&) {
            return false;
        }
    });
}

// The personal client follows the provider's adapters: no names while the
// configured interface is absent, its names on the adapter that comes, and
// again at the interface's next address.
TEST(MessagingOverProvider, NamesFollowAnAdapterThatComesLateAndMoves)
{
    constexpr std::uint32_t kFirst = 0x7F00003D;  // 127.0.0.61
    constexpr std::uint32_t kMoved = 0x7F000040;  // 127.0.0.64
    pl::nb::NetbtConfig config = TestLan::MakeConfig(0, 1);
    config.interfaces = {"tlan0"};
    config.broadcastTargets = {0x7F00003F};
    pl::nb::NetbtConfig peerConfig = TestLan::MakeConfig(2, 1);
    peerConfig.broadcastTargets = {kFirst, kMoved};
    pl::nb::PlNetbiosProvider peer(peerConfig);
    FakeInterfaces* interfaces = nullptr;
    pl::nb::PlNetbiosProvider host(config, pl::nb::SystemNetbiosClock(), false, FakeInterfaces::Make(interfaces));
    ProviderStation alice(peer, "ALICE");
    ProviderStation bob(host, "BOB");
    ASSERT_TRUE(alice.WaitReady());
    EXPECT_THROW(alice.Client().Send(To("BOB", "too early")), PlAddrNotFoundErr);

    interfaces->BringUp(4, "tlan0", kFirst);
    ASSERT_TRUE(bob.WaitReady());
    ASSERT_TRUE(SendWhenReachable(alice.Client(), To("BOB", "first")));
    interfaces->Readdress(4, kFirst, kMoved);
    ASSERT_TRUE(SendWhenReachable(alice.Client(), To("BOB", "moved")));
    ASSERT_TRUE(WaitUntil([&] { return bob.inbox.Count() == 2; }));
    EXPECT_EQ(bob.inbox.messages[1].text, "moved");
}

}  // namespace
