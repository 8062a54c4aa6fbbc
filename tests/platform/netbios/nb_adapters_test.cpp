// The provider's adapters follow the interfaces its source reports: an
// adapter comes when its interface does, goes with what it had pending, and
// keeps its number across an address change; WINS registrations are
// refreshed and follow the new address.

#include "nb_fake_interfaces.h"
#include "nb_test_lan.h"

#include "platform/netbios/nb_socket.h"
#include "platform/netbios/nbns_codec.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>
#include <deque>

namespace pl::nb::test {
namespace {

constexpr std::uint32_t kFirst = 0x7F00003D;   // 127.0.0.61, tlan0
constexpr std::uint32_t kSecond = 0x7F00003E;  // 127.0.0.62, tlan1
constexpr std::uint32_t kPeer = 0x7F00003F;    // 127.0.0.63
constexpr std::uint32_t kMoved = 0x7F000040;   // 127.0.0.64, tlan0's next address
constexpr std::uint32_t kWins = 0x7F000046;    // 127.0.0.70

NetbtConfig HostConfig()
{
    NetbtConfig config = TestLan::MakeConfig(0, 1);
    config.interfaces = {"tlan0", "tlan1"};
    config.broadcastTargets = {kPeer};
    return config;
}

// A provider on 127.0.0.63 that hears the host at each of its addresses.
NetbtConfig PeerConfig()
{
    NetbtConfig config = TestLan::MakeConfig(2, 1);
    config.netbiosName = "PEER";
    config.broadcastTargets = {kFirst, kSecond, kMoved};
    return config;
}

std::vector<std::uint8_t> Lanas(PlNetbiosProvider& host)
{
    LANA_ENUM lanas{};
    NCB ncb{};
    ncb.ncb_command = NCBENUM;
    ncb.ncb_buffer = reinterpret_cast<std::uint8_t*>(&lanas);
    ncb.ncb_length = sizeof lanas;
    host.Netbios(&ncb);
    return {lanas.lana, lanas.lana + lanas.length};
}

std::unique_ptr<AsyncNcb> StartReceive(PlNetbiosProvider& host, std::uint8_t lsn)
{
    auto receive = std::make_unique<AsyncNcb>();
    receive->buffer.resize(64);
    receive->ncb.ncb_command = NCBRECV | ASYNCH;
    receive->ncb.ncb_lsn = lsn;
    receive->ncb.ncb_buffer = receive->buffer.data();
    receive->ncb.ncb_length = 64;
    receive->ncb.ncb_event = &receive->event;
    host.Netbios(&receive->ncb);
    return receive;
}

TEST(NetbiosAdapters, AnAdapterComesWithItsInterfaceAndFailsWhatItHadWhenItGoes)
{
    PlNetbiosProvider peer(PeerConfig());
    FakeInterfaces* interfaces = nullptr;
    PlNetbiosProvider host(HostConfig(), SystemNetbiosClock(), false, FakeInterfaces::Make(interfaces));
    EXPECT_TRUE(Lanas(host).empty()) << "tlan0 and tlan1 are absent: waited for";
    EXPECT_EQ(AddName(host, "ALICE"), NRC_BRIDGE);

    interfaces->BringUp(5, "tlan1", kSecond);
    Barrier(host);
    EXPECT_EQ(Lanas(host), std::vector<std::uint8_t>{0});
    interfaces->BringUp(4, "tlan0", kFirst);
    Barrier(host);
    EXPECT_EQ(Lanas(host), (std::vector<std::uint8_t>{0, 1}));
    const auto adapters = host.Adapters();
    ASSERT_EQ(adapters.size(), 2u);
    EXPECT_EQ(adapters[0].interfaceName, "tlan1");
    EXPECT_EQ(adapters[1].address, kFirst);

    ASSERT_EQ(AddName(host, "ALICE"), NRC_GOODRET);  // on LANA 0, tlan1
    ASSERT_EQ(AddName(peer, "BOB"), NRC_GOODRET);
    auto accepted = StartListen(host, "ALICE");
    std::uint8_t peerLsn = 0;
    ASSERT_EQ(Call(peer, "BOB", "ALICE", peerLsn), NRC_GOODRET);
    ASSERT_EQ(accepted->Wait(), NRC_GOODRET);
    auto receive = StartReceive(host, accepted->ncb.ncb_lsn);
    auto waiting = StartListen(host, "ALICE");

    interfaces->TakeAddress(5, kSecond);
    Barrier(host);
    EXPECT_EQ(receive->Wait(), NRC_SABORT) << "the session broke";
    EXPECT_EQ(waiting->Wait(), NRC_BRIDGE) << "the LANA is gone";
    EXPECT_EQ(AddName(host, "CAROL"), NRC_BRIDGE);
    EXPECT_EQ(Lanas(host), std::vector<std::uint8_t>{1}) << "tlan0 kept its number";
    std::vector<std::uint8_t> data;
    EXPECT_EQ(Receive(peer, peerLsn, data, 64), NRC_SCLOSED) << "the peer sees the session end";
}

TEST(NetbiosAdapters, AnAddressChangeKeepsTheNumberAndNamesAnswerAtTheNewAddress)
{
    PlNetbiosProvider peer(PeerConfig());
    FakeInterfaces* interfaces = nullptr;
    auto source = FakeInterfaces::Make(interfaces);
    interfaces->Up(4, "tlan0", kFirst);
    PlNetbiosProvider host(HostConfig(), SystemNetbiosClock(), false, std::move(source));
    ASSERT_EQ(AddName(host, "ALICE"), NRC_GOODRET);
    std::vector<std::uint8_t> status;
    ASSERT_EQ(AdapterStatus(peer, "ALICE", 0x03, status), NRC_GOODRET);

    interfaces->Readdress(4, kFirst, kMoved);
    Barrier(host);
    EXPECT_EQ(Lanas(host), std::vector<std::uint8_t>{0});
    EXPECT_EQ(host.Adapters().front().address, kMoved);
    ASSERT_EQ(AdapterStatus(host, "*", 0, status), NRC_GOODRET);
    ADAPTER_STATUS local{};
    std::memcpy(&local, status.data(), sizeof local);
    EXPECT_EQ(local.name_count, 0) << "the names went with the old address";

    ASSERT_EQ(AddName(host, "ALICE"), NRC_GOODRET);
    ASSERT_EQ(AdapterStatus(peer, "ALICE", 0x03, status), NRC_GOODRET) << "the release let the peer forget .61";
    const auto cached = peer.CachedNames(0);
    ASSERT_EQ(cached.size(), 1u);
    EXPECT_EQ(cached.front().address, kMoved);
}

// A WINS server in the test: it sees what the provider sends and answers.
class FakeWins {
public:
    FakeWins() : socket_(OpenUdp(kWins, TestLan::BasePort(), false)) {}

    std::optional<NbnsPacket> Next(int ms = 2000)
    {
        if (!early_.empty()) {
            const NbnsPacket packet = early_.front();
            early_.pop_front();
            return packet;
        }
        return Receive(ms);
    }
    // Returns once the host has read everything sent to it before: the
    // answer to a node status request follows them on the same socket. The
    // test's clock may then move without overtaking an answer in flight.
    void Settle(const PlNetbiosProvider& host)
    {
        NbnsPacket status;
        status.transactionId = 0x5E77;
        status.questions.push_back(NbnsQuestion{WildcardName(), kTypeNbstat, kClassIn});
        SendUdp(socket_.Get(), EncodeNbns(status), host.Adapters().front().address, TestLan::BasePort());
        while (auto packet = Receive(2000)) {
            if (packet->IsResponse() && packet->transactionId == status.transactionId)
                return;
            early_.push_back(*packet);
        }
        ADD_FAILURE() << "the host did not answer";
    }
    std::uint32_t From() const { return from_; }
    // Answers as a WINS server answers a registration or a refresh.
    void Answer(const NbnsPacket& request, std::uint16_t flags, std::uint32_t ttl)
    {
        NbnsPacket answer;
        answer.transactionId = request.transactionId;
        answer.flags = flags;
        answer.answers.push_back(
            NbnsRecord{request.questions.front().name, kTypeNb, kClassIn, ttl, request.additionals.front().rdata});
        SendUdp(socket_.Get(), EncodeNbns(answer), from_, port_);
    }

private:
    std::optional<NbnsPacket> Receive(int ms)
    {
        pollfd ready{socket_.Get(), POLLIN, 0};
        if (::poll(&ready, 1, ms) != 1)
            return std::nullopt;
        std::uint8_t buffer[1024];
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const auto size =
            ::recvfrom(socket_.Get(), buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
        from_ = ntohl(from.sin_addr.s_addr);
        port_ = ntohs(from.sin_port);
        return DecodeNbns({buffer, static_cast<std::size_t>(std::max<ssize_t>(size, 0))});
    }

    UniqueFd socket_;
    std::deque<NbnsPacket> early_;
    std::uint32_t from_ = 0;
    std::uint16_t port_ = 0;
};

constexpr std::uint16_t kGranted = 0xAD80;  // positive registration response
constexpr std::uint16_t kWack = 0xBC00;

TEST(NetbiosAdapters, WinsNamesAreRefreshedAtHalfTheirTimeAndFollowANewAddress)
{
    FakeWins wins;
    const auto clock = std::make_shared<FakeClock>();
    NetbtConfig config = HostConfig();
    config.winsServer = kWins;
    FakeInterfaces* interfaces = nullptr;
    auto source = FakeInterfaces::Make(interfaces);
    interfaces->Up(4, "tlan0", kFirst);
    PlNetbiosProvider host(config, clock, false, std::move(source));
    ASSERT_NE(host.Mailslots().CreateMailslot("\\\\.\\MAILSLOT\\TEST", 400), NbMailslotService::kInvalidHandle);

    // HOST0<00> and WORKGROUP<00>, both held up by a WACK of 30 s.
    std::vector<NbnsPacket> held;
    for (int i = 0; i < 2; ++i) {
        auto request = wins.Next();
        ASSERT_TRUE(request && request->Opcode() == NbnsOpcode::Registration);
        wins.Answer(*request, kWack, 30);
        held.push_back(*request);
    }
    wins.Settle(host);
    clock->Advance(std::chrono::seconds(6));
    host.Wake();
    EXPECT_FALSE(wins.Next(300)) << "no new try within the wait the WACK asked for";
    for (const NbnsPacket& request : held)
        wins.Answer(request, kGranted, 8);
    wins.Settle(host);

    clock->Advance(std::chrono::seconds(3));
    host.Wake();
    EXPECT_FALSE(wins.Next(300)) << "half of 8 s has not passed";
    clock->Advance(std::chrono::milliseconds(1500));
    host.Wake();
    for (int i = 0; i < 2; ++i) {
        auto refresh = wins.Next();
        ASSERT_TRUE(refresh && refresh->Opcode() == NbnsOpcode::Refresh);
        EXPECT_EQ(wins.From(), kFirst);
        EXPECT_EQ(DecodeNbRdata(refresh->additionals.front().rdata).front().address, kFirst);
        wins.Answer(*refresh, kGranted, 8);
    }
    wins.Settle(host);

    interfaces->Readdress(4, kFirst, kMoved);
    Barrier(host);
    int farewells = 0;  // releases for .61 from the new address
    int registrations = 0;
    while (registrations < 2) {
        auto packet = wins.Next();
        ASSERT_TRUE(packet);
        const auto owner = DecodeNbRdata(packet->additionals.front().rdata).front().address;
        if (packet->Opcode() == NbnsOpcode::Release && owner == kFirst && wins.From() == kMoved)
            ++farewells;
        if (packet->Opcode() == NbnsOpcode::Registration && wins.From() == kMoved && owner == kMoved) {
            ++registrations;
            wins.Answer(*packet, kGranted, 8);
        }
    }
    EXPECT_EQ(farewells, 2) << "each name is released for the old address before it moves";
}

// A server that is silent when a name is added leaves it registered by
// broadcast; the name is registered with the server later.
TEST(NetbiosAdapters, ANameTheWinsServerMissedIsRegisteredWithItLater)
{
    FakeWins wins;
    const auto clock = std::make_shared<FakeClock>();
    NetbtConfig config = HostConfig();
    config.winsServer = kWins;
    FakeInterfaces* interfaces = nullptr;
    auto source = FakeInterfaces::Make(interfaces);
    interfaces->Up(4, "tlan0", kFirst);
    PlNetbiosProvider host(config, clock, false, std::move(source));
    AsyncNcb add;
    add.ncb.ncb_command = NCBADDNAME | ASYNCH;
    SetName(add.ncb.ncb_name, "ALICE", 0x03);
    add.ncb.ncb_event = &add.event;
    ASSERT_EQ(host.Netbios(&add.ncb), NRC_GOODRET);
    for (int step = 0; step < 20 && add.Wait(20) == NRC_PENDING; ++step) {
        clock->Advance(std::chrono::milliseconds(250));
        host.Wake();
    }
    ASSERT_EQ(add.Wait(0), NRC_GOODRET) << "registered by broadcast";
    while (wins.Next(100)) {
    }  // the unanswered tries

    clock->Advance(std::chrono::seconds(31));
    host.Wake();
    auto late = wins.Next();
    ASSERT_TRUE(late && late->Opcode() == NbnsOpcode::Registration);
    wins.Answer(*late, kGranted, 8);
    wins.Settle(host);
    clock->Advance(std::chrono::seconds(5));
    host.Wake();
    auto refresh = wins.Next();
    EXPECT_TRUE(refresh && refresh->Opcode() == NbnsOpcode::Refresh) << "the server holds it now";
}

}  // namespace
}  // namespace pl::nb::test
