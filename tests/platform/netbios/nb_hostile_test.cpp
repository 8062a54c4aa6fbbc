// A provider under bad input: malformed packets are dropped and counted, and
// a flood of silent connections does not keep other peers out.

#include "nb_test_lan.h"

#include "platform/netbios/nb_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <thread>

namespace pl::nb::test {
namespace {

UniqueFd ConnectTo(std::uint32_t address, std::uint16_t port)
{
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(address);
    to.sin_port = htons(port);
    EXPECT_EQ(::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&to), sizeof to), 0);
    return fd;
}

void WaitForCount(const std::atomic<std::uint64_t>& counter, std::uint64_t atLeast)
{
    for (int i = 0; i < 500 && counter.load() < atLeast; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

TEST(NetbiosHostileInput, MalformedPacketsAreDroppedAndCounted)
{
    TestLan lan(2);
    ASSERT_EQ(AddName(lan.Host(0), "VICTIM"), NRC_GOODRET);
    const std::uint32_t victim = lan.Address(0);
    const UniqueFd udp = OpenUdp(0x7F00003C, 0, false);
    const std::vector<std::vector<std::uint8_t>> junk = {
        {0x12},
        {0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0x20, 'A'},                  // truncated question
        {0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0xC0, 0x0C, 0, 0x20, 0, 1},  // pointer to itself
        {0, 1, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0},                       // absurd count
    };
    for (const auto& packet : junk)
        SendUdp(udp.Get(), packet, victim, lan.Config(0).namePort);
    SendUdp(udp.Get(), std::vector<std::uint8_t>{0x10, 2, 0, 1, 127, 0, 0, 1, 0, 138, 0xFF, 0xFF, 0, 0}, victim,
            lan.Config(0).datagramPort);
    WaitForCount(lan.Host(0).Counters().malformedPackets, junk.size() + 1);
    EXPECT_EQ(lan.Host(0).Counters().malformedPackets.load(), junk.size() + 1);

    const UniqueFd bad = ConnectTo(victim, lan.Config(0).sessionPort);
    const std::uint8_t garbage[] = {0x42, 0xFE, 0, 0};
    ::send(bad.Get(), garbage, sizeof garbage, MSG_NOSIGNAL);
    std::uint8_t reply[8];
    EXPECT_EQ(::recv(bad.Get(), reply, sizeof reply, 0), 0) << "the provider hangs up on garbage";

    // And still serves.
    std::vector<std::uint8_t> status;
    EXPECT_EQ(AdapterStatus(lan.Host(1), "VICTIM", 0x03, status), NRC_GOODRET);
}

// Connections that say nothing stay with the kernel until their first bytes
// come: they keep no caller out, and one that speaks at last is answered.
TEST(NetbiosHostileInput, SilentConnectionsDoNotKeepCallersOut)
{
    TestLan lan(2);
    ASSERT_EQ(AddName(lan.Host(0), "CALLER"), NRC_GOODRET);
    ASSERT_EQ(AddName(lan.Host(1), "SERVER"), NRC_GOODRET);
    std::vector<UniqueFd> silent;
    for (int i = 0; i < 40; ++i)
        silent.push_back(ConnectTo(lan.Address(1), lan.Config(1).sessionPort));
    auto listen = StartListen(lan.Host(1), "SERVER");
    std::uint8_t lsn = 0;
    EXPECT_EQ(Call(lan.Host(0), "CALLER", "SERVER", lsn), NRC_GOODRET);
    EXPECT_EQ(listen->Wait(), NRC_GOODRET);

    const auto request = EncodeSessionRequest(
        {NbName{MakeNetbiosName("SERVER", 3, "CP850"), ""}, NbName{MakeNetbiosName("LATE", 3, "CP850"), ""}});
    ::send(silent.front().Get(), request.data(), request.size(), MSG_NOSIGNAL);
    std::uint8_t reply[5] = {};
    ASSERT_EQ(::recv(silent.front().Get(), reply, sizeof reply, MSG_WAITALL), 5);
    EXPECT_EQ(reply[0], kNbssNegative) << "nobody listens any more";
}

TEST(NetbiosHostileInput, SessionRequestForAbsentNameIsRefusedWithItsCode)
{
    TestLan lan(1);
    const UniqueFd fd = ConnectTo(lan.Address(0), lan.Config(0).sessionPort);
    const auto request = EncodeSessionRequest(
        {NbName{MakeNetbiosName("GHOST", 3, "CP850"), ""}, NbName{MakeNetbiosName("ME", 3, "CP850"), ""}});
    ::send(fd.Get(), request.data(), request.size(), MSG_NOSIGNAL);
    std::uint8_t reply[5] = {};
    ASSERT_EQ(::recv(fd.Get(), reply, sizeof reply, MSG_WAITALL), 5);
    EXPECT_EQ(reply[0], kNbssNegative);
    EXPECT_EQ(reply[4], kNbssCalledNotPresent);
}

}  // namespace
}  // namespace pl::nb::test
