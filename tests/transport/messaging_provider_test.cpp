// The NetBIOS layer and the personal client over the real provider: hosts of a
// loopback test LAN exchange messages through real sockets.

#include "../platform/netbios/nb_fake_interfaces.h"
#include "../platform/netbios/nb_test_lan.h"
#include "messaging_station.h"

#include "platform/netbios/nb_socket.h"
#include "platform/netbios/nbns_codec.h"
#include "transport/core/pl_network_err.h"
#include "transport/messaging/pl_smb_messaging_client.h"
#include "transport/netbios/c_netbios_name.h"
#include "transport/pdu/c_smb_messenger_pdus.h"

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

// A peer holding a session in silence holds that session only: others still
// get through at once, and the provider ends the silent one after its limit.
TEST(MessagingOverProvider, SilentPeersDoNotSilenceAName)
{
    // The idle limit (1 s) lies well inside the silent peer's own receive
    // limit (2 s), so that the peer sees its session ended, not timed out.
    TestLan lan(3, [](pl::nb::NetbtConfig& config) { config.sessionIdleTimeout = std::chrono::seconds(1); });
    ProviderStation receiver(lan.Host(0), "RITA");
    ProviderStation sender(lan.Host(1), "SAM");
    ASSERT_TRUE(receiver.WaitReady() && sender.WaitReady());

    PlNetbiosInterface lana(0, [&lan](NCB* ncb) { return lan.Host(2).Netbios(ncb); });
    CNetbiosName hostile("MUTE", 0x03, lana, 10);
    hostile.Start();
    ASSERT_TRUE(WaitUntil([&] { return hostile.IsOpen(); }));
    CConnection* silent[2] = {};
    hostile.Connect("HOST0", silent[0]);
    hostile.Connect("RITA", silent[1]);
    CConnection* started = nullptr;
    hostile.Connect("HOST0", started);
    ASSERT_TRUE(silent[0] && silent[1] && started);
    CSmbPdu_sendstrt start;
    start.Originator = "MUTE";
    start.Destination = "HOST0";
    started->Send(start);
    started->Receive(start);  // the start is answered; no block follows

    sender.Client().Send(To("HOST0", "still here"));
    ASSERT_TRUE(WaitUntil([&] { return receiver.inbox.Count() == 1; }, std::chrono::seconds(5)));
    EXPECT_EQ(receiver.inbox.messages[0].text, "still here");

    // The silent sessions end after the limit; their peer sees them closed.
    CSmbPdu_sendtxt nothing;
    EXPECT_THROW(silent[0]->Receive(nothing), PlDataTransmissionErr);
    EXPECT_TRUE(silent[0]->PeerEnded());
    EXPECT_TRUE(WaitUntil([&] { return lan.Host(0).Counters().idleSessions.load() == 3; }));
}

// A single-block message whose reply comes late on a session that stays open
// is not sent again: the peer may show it, and would show it twice.
TEST(MessagingOverProvider, ALateReplyIsATransmissionErrorNotASecondDelivery)
{
    TestLan lan(2);
    ProviderStation sender(lan.Host(0), "SAM");
    ASSERT_TRUE(sender.WaitReady());
    PlNetbiosInterface lana(0, [&lan](NCB* ncb) { return lan.Host(1).Netbios(ncb); });
    CNetbiosName slow("SLOW", 0x03, lana, 10);
    std::atomic<int> received{0};
    struct Slow {
        std::atomic<int>* count;
        void Serve(CConnection* connection, void*)
        {
            try {
                CSmbPdu_sends message;
                connection->Receive(message);
                ++*count;
                std::this_thread::sleep_for(std::chrono::seconds(3));  // past the sender's 2 s
                connection->Send(message);
            } catch (const PlNetworkErr&) {
            }
            connection->Close();
        }
    } peer{&received};
    PlVoidBinaryMemberFunction<Slow, CConnection*, void*> serve(&peer, &Slow::Serve);
    slow.SetAcceptFunction(&serve);
    slow.Start();
    ASSERT_TRUE(WaitUntil([&] { return slow.IsOpen(); }));

    EXPECT_THROW(sender.Client().Send(To("SLOW", "once")), PlDataTransmissionErr);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_EQ(received.load(), 1);
}

// A recipient name no NetBIOS name can be is refused before anything is sent,
// and only PlNetworkErr ever leaves Send.
TEST(MessagingOverProvider, AnOverLongRecipientIsRefusedAsNotFound)
{
    TestLan lan(1);
    ProviderStation sender(lan.Host(0), "SAM");
    ASSERT_TRUE(sender.WaitReady());
    const std::string huge(900, 'N');
    EXPECT_THROW(sender.Client().Send(CMsg{kPersonalMessage, "HOST0", "SAM", huge, "x"}), PlAddrNotFoundErr);
    EXPECT_THROW(sender.Client().Send(CMsg{kPersonalMessage, huge, std::string(900, 'F'), "HOST0", "x"}),
                 PlAddrNotFoundErr);
}

// A conflict demand puts the name in conflict (its listens end, it answers
// nothing); the client then registers it again, as after any listen that
// failed for good. Nobody defends a name a demand took by mistake, so it is
// back at once; a name another node really holds would be defended and stay
// unregistered.
TEST(MessagingOverProvider, ANameTakenByAConflictDemandIsRegisteredAgain)
{
    TestLan lan(2);
    ProviderStation receiver(lan.Host(0), "RITA");
    ProviderStation sender(lan.Host(1), "SAM");
    ASSERT_TRUE(receiver.WaitReady() && sender.WaitReady());
    pl::nb::NbnsPacket demand;
    demand.transactionId = 0x4242;
    demand.flags = static_cast<std::uint16_t>(pl::nb::kNbnsResponse |
                                              static_cast<std::uint16_t>(pl::nb::NbnsOpcode::Registration) << 11 |
                                              pl::nb::kRcodeConflict);
    demand.answers.push_back(pl::nb::NbnsRecord{
        pl::nb::NbName{pl::MakeNetbiosName("RITA", 0x03), ""}, pl::nb::kTypeNb, pl::nb::kClassIn, 0, {}});
    const pl::nb::UniqueFd udp = pl::nb::OpenUdp(0x7F00003C, 0, false);
    pl::nb::SendUdp(udp.Get(), pl::nb::EncodeNbns(demand), lan.Address(0), lan.Config(0).namePort);

    ASSERT_TRUE(WaitUntil([&] { return receiver.Client().OpenNameCount() < 2; }));  // in conflict
    ASSERT_TRUE(receiver.WaitReady());                                              // registered again
    sender.Client().Send(To("RITA", "back again"));
    ASSERT_TRUE(WaitUntil([&] { return receiver.inbox.Count() == 1; }));
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
