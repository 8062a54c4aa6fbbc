// Name service of the provider on a loopback LAN: adapters, registration and
// its defence, deletion, adapter status of local and remote names.

#include "nb_test_lan.h"

#include "platform/netbios/nb_socket.h"
#include "platform/netbios/nbns_codec.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

namespace pl::nb::test {
namespace {

std::vector<NAME_BUFFER> NamesOf(const std::vector<std::uint8_t>& buffer)
{
    ADAPTER_STATUS status{};
    std::memcpy(&status, buffer.data(), sizeof status);
    std::vector<NAME_BUFFER> names(status.name_count);
    if (!names.empty())  // no copy to the null data of an empty vector
        std::memcpy(names.data(), buffer.data() + sizeof status, names.size() * sizeof(NAME_BUFFER));
    return names;
}

bool Holds(const std::vector<NAME_BUFFER>& names, const std::string& name, std::uint8_t suffix, std::uint8_t flags)
{
    NCB probe{};
    SetName(probe.ncb_name, name, suffix);
    for (const NAME_BUFFER& entry : names)
        if (std::memcmp(entry.name, probe.ncb_name, NCBNAMSZ) == 0 && entry.name_flags == flags)
            return true;
    return false;
}

TEST(NetbiosProviderBasics, EnumeratesResetsAndRejectsBadRequests)
{
    TestLan lan(1);
    LANA_ENUM lanas{};
    NCB ncb{};
    ncb.ncb_command = NCBENUM;
    ncb.ncb_buffer = reinterpret_cast<std::uint8_t*>(&lanas);
    ncb.ncb_length = sizeof lanas;
    ASSERT_EQ(lan.Host(0).Netbios(&ncb), NRC_GOODRET);
    EXPECT_EQ(lanas.length, 1);
    EXPECT_EQ(lanas.lana[0], 0);

    ncb.ncb_length = 10;  // too small for LANA_ENUM
    EXPECT_EQ(lan.Host(0).Netbios(&ncb), NRC_BUFLEN);

    NCB reset{};
    reset.ncb_command = NCBRESET;
    reset.ncb_callname[0] = 20;
    reset.ncb_callname[2] = 30;
    EXPECT_EQ(lan.Host(0).Netbios(&reset), NRC_GOODRET);
    EXPECT_EQ(reset.ncb_cmd_cplt, NRC_GOODRET);

    NCB badLana{};
    badLana.ncb_command = NCBADDNAME;
    badLana.ncb_lana_num = 7;
    SetName(badLana.ncb_name, "X", 3);
    EXPECT_EQ(lan.Host(0).Netbios(&badLana), NRC_BRIDGE);

    NCB unknown{};
    unknown.ncb_command = 0x7E;
    EXPECT_EQ(lan.Host(0).Netbios(&unknown), NRC_ILLCMD);
}

TEST(NetbiosProviderNames, RegistersDefendsAndReleases)
{
    TestLan lan(2);
    std::uint8_t num = 0;
    ASSERT_EQ(AddName(lan.Host(0), "ALICE", 0x03, false, &num), NRC_GOODRET);
    EXPECT_GE(num, 2);
    EXPECT_EQ(AddName(lan.Host(0), "ALICE"), NRC_DUPNAME) << "already in the local table";
    EXPECT_EQ(AddName(lan.Host(1), "ALICE"), NRC_DUPNAME) << "defended by the other host";
    EXPECT_EQ(AddName(lan.Host(1), "ALICE", 0x00), NRC_GOODRET) << "another suffix is another name";

    // The loser's name stayed unregistered.
    std::vector<std::uint8_t> status;
    ASSERT_EQ(AdapterStatus(lan.Host(1), "*", 0, status), NRC_GOODRET);
    EXPECT_FALSE(Holds(NamesOf(status), "ALICE", 0x03, REGISTERED));

    ASSERT_EQ(DeleteName(lan.Host(0), "ALICE"), NRC_GOODRET);
    EXPECT_EQ(DeleteName(lan.Host(0), "ALICE"), NRC_NOWILD) << "no longer there";
    EXPECT_EQ(AddName(lan.Host(1), "ALICE"), NRC_GOODRET) << "free after the release";
}

TEST(NetbiosProviderNames, GroupNamesAreSharedAndWildcardsRefused)
{
    TestLan lan(2);
    ASSERT_EQ(AddName(lan.Host(0), "TEAM", 0x00, true), NRC_GOODRET);
    EXPECT_EQ(AddName(lan.Host(1), "TEAM", 0x00, true), NRC_GOODRET) << "group members do not contest";
    EXPECT_EQ(AddName(lan.Host(1), "TEAM", 0x00, false), NRC_DUPNAME) << "already here as a group";

    NCB wildcard{};
    wildcard.ncb_command = NCBADDNAME;
    std::memset(wildcard.ncb_name, ' ', NCBNAMSZ);
    wildcard.ncb_name[0] = '*';
    EXPECT_EQ(lan.Host(0).Netbios(&wildcard), NRC_NOWILD);

    NCB limit{};
    limit.ncb_command = NCBRESET;
    limit.ncb_callname[2] = 1;  // one name only
    ASSERT_EQ(lan.Host(1).Netbios(&limit), NRC_GOODRET);
    ASSERT_EQ(AddName(lan.Host(1), "ONE"), NRC_GOODRET);
    EXPECT_EQ(AddName(lan.Host(1), "TWO"), NRC_NAMTFUL);
}

TEST(NetbiosProviderNames, AdapterStatusOfLocalAndRemoteNames)
{
    TestLan lan(2);
    ASSERT_EQ(AddName(lan.Host(0), "HOST0", 0x00), NRC_GOODRET);
    ASSERT_EQ(AddName(lan.Host(0), "HOST0", 0x03), NRC_GOODRET);
    ASSERT_EQ(AddName(lan.Host(0), "WORKGROUP", 0x00, true), NRC_GOODRET);

    std::vector<std::uint8_t> local;
    ASSERT_EQ(AdapterStatus(lan.Host(0), "*", 0, local), NRC_GOODRET);
    ASSERT_EQ(local.size(), sizeof(ADAPTER_STATUS) + 3 * sizeof(NAME_BUFFER));
    EXPECT_TRUE(Holds(NamesOf(local), "WORKGROUP", 0x00, GROUP_NAME | REGISTERED));

    std::vector<std::uint8_t> remote;
    ASSERT_EQ(AdapterStatus(lan.Host(1), "HOST0", 0x00, remote), NRC_GOODRET);
    const auto names = NamesOf(remote);
    ASSERT_EQ(names.size(), 3u);
    EXPECT_TRUE(Holds(names, "HOST0", 0x03, UNIQUE_NAME | REGISTERED));
    EXPECT_TRUE(Holds(names, "WORKGROUP", 0x00, GROUP_NAME | REGISTERED));

    // The resolved name is now cached with its address.
    const auto cache = lan.Host(1).CachedNames(0);
    ASSERT_EQ(cache.size(), 1u);
    EXPECT_EQ(cache.front().address, lan.Address(0));
    EXPECT_GT(cache.front().remaining.count(), 0);

    std::vector<std::uint8_t> small;
    EXPECT_EQ(AdapterStatus(lan.Host(1), "HOST0", 0x00, small, sizeof(ADAPTER_STATUS) + sizeof(NAME_BUFFER)),
              NRC_INCOMP);
    EXPECT_EQ(NamesOf(small).size(), 1u);
    EXPECT_EQ(AdapterStatus(lan.Host(1), "HOST0", 0x00, small, 20), NRC_BUFLEN);

    std::vector<std::uint8_t> byAddress(1212);
    std::uint16_t length = 0;
    ASSERT_EQ(lan.Host(1).NodeStatusByAddress(0, lan.Address(0), byAddress, length), NRC_GOODRET);
    EXPECT_EQ(length, sizeof(ADAPTER_STATUS) + 3 * sizeof(NAME_BUFFER));
}

// A name deleted while a session uses it serves no more at once (its listens
// and datagram receives end) and is released when its last session ends.
TEST(NetbiosProviderNames, NameDeletedInUseGoesWithItsLastSession)
{
    TestLan lan(2);
    std::uint8_t num = 0;
    ASSERT_EQ(AddName(lan.Host(0), "CALLER"), NRC_GOODRET);
    ASSERT_EQ(AddName(lan.Host(1), "SERVER", 0x03, false, &num), NRC_GOODRET);
    auto listen = StartListen(lan.Host(1), "SERVER");
    std::uint8_t callerLsn = 0;
    ASSERT_EQ(Call(lan.Host(0), "CALLER", "SERVER", callerLsn), NRC_GOODRET);
    ASSERT_EQ(listen->Wait(), NRC_GOODRET);
    ASSERT_EQ(lan.Host(0).CachedNames(0).size(), 1u) << "the caller learnt where SERVER is";

    auto another = StartListen(lan.Host(1), "SERVER");
    AsyncNcb datagram;
    datagram.buffer.resize(16);
    datagram.ncb.ncb_command = NCBDGRECV | ASYNCH;
    datagram.ncb.ncb_num = num;
    datagram.ncb.ncb_buffer = datagram.buffer.data();
    datagram.ncb.ncb_length = 16;
    datagram.ncb.ncb_event = &datagram.event;
    ASSERT_EQ(lan.Host(1).Netbios(&datagram.ncb), NRC_GOODRET);
    EXPECT_EQ(DeleteName(lan.Host(1), "SERVER"), NRC_ACTSES);
    EXPECT_EQ(another->Wait(), NRC_NAMERR);
    EXPECT_EQ(datagram.Wait(), NRC_NAMERR);
    std::vector<std::uint8_t> status;
    ASSERT_EQ(AdapterStatus(lan.Host(1), "*", 0, status), NRC_GOODRET);
    EXPECT_TRUE(Holds(NamesOf(status), "SERVER", 0x03, UNIQUE_NAME | DEREGISTERED));
    EXPECT_EQ(AddName(lan.Host(1), "SERVER"), NRC_DUPNAME) << "still in the table";

    ASSERT_EQ(HangUp(lan.Host(1), listen->ncb.ncb_lsn), NRC_GOODRET);
    ASSERT_EQ(AdapterStatus(lan.Host(1), "*", 0, status), NRC_GOODRET);
    EXPECT_TRUE(NamesOf(status).empty()) << "gone with its last session";
    for (int i = 0; i < 500 && !lan.Host(0).CachedNames(0).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(lan.Host(0).CachedNames(0).empty()) << "the release reached the caller";
}

// A conflict demand from another node puts a registered name in conflict: its
// listens end with NRC_NAMCONF and it takes no new ones.
TEST(NetbiosProviderNames, ConflictDemandEndsTheListensOfTheName)
{
    TestLan lan(1);
    ASSERT_EQ(AddName(lan.Host(0), "SERVER"), NRC_GOODRET);
    auto listen = StartListen(lan.Host(0), "SERVER");
    NbnsPacket demand;
    demand.transactionId = 0x4242;
    demand.flags = static_cast<std::uint16_t>(
        kNbnsResponse | static_cast<std::uint16_t>(NbnsOpcode::Registration) << 11 | kRcodeConflict);
    demand.answers.push_back(NbnsRecord{NbName{MakeNetbiosName("SERVER", 0x03), ""}, kTypeNb, kClassIn, 0, {}});
    const UniqueFd udp = OpenUdp(0x7F00003C, 0, false);
    SendUdp(udp.Get(), EncodeNbns(demand), lan.Address(0), lan.Config(0).namePort);

    EXPECT_EQ(listen->Wait(), NRC_NAMCONF);
    std::vector<std::uint8_t> status;
    ASSERT_EQ(AdapterStatus(lan.Host(0), "*", 0, status), NRC_GOODRET);
    EXPECT_TRUE(Holds(NamesOf(status), "SERVER", 0x03, UNIQUE_NAME | DUPLICATE));
    EXPECT_EQ(StartListen(lan.Host(0), "SERVER")->Wait(), NRC_NOWILD) << "a name in conflict takes no listens";
}

TEST(NetbiosProviderNames, AdapterStatusOfAnAbsentNameFailsWithinASecondOrSo)
{
    TestLan lan(2);
    std::vector<std::uint8_t> status;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(AdapterStatus(lan.Host(1), "NOBODY", 0x00, status), NRC_NOCALL);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));

    std::vector<std::uint8_t> silent(1212);
    std::uint16_t length = 0;
    // 127.0.0.60 runs no provider: nothing answers the node status request.
    EXPECT_EQ(lan.Host(1).NodeStatusByAddress(0, 0x7F00003C, silent, length), NRC_CMDTMO);
}

TEST(NetbiosProviderNames, PendingAdapterStatusCanBeCancelled)
{
    TestLan lan(1);
    AsyncNcb status;
    status.buffer.resize(1212);
    status.ncb.ncb_command = NCBASTAT | ASYNCH;
    SetName(status.ncb.ncb_callname, "NOBODY", 0);
    status.ncb.ncb_buffer = status.buffer.data();
    status.ncb.ncb_length = 1212;
    status.ncb.ncb_event = &status.event;
    ASSERT_EQ(lan.Host(0).Netbios(&status.ncb), NRC_GOODRET);
    EXPECT_EQ(Cancel(lan.Host(0), &status.ncb), NRC_GOODRET);
    EXPECT_EQ(status.Wait(), NRC_CMDCAN);
    EXPECT_EQ(Cancel(lan.Host(0), &status.ncb), NRC_CANOCCR) << "nothing left to cancel";
}

TEST(NetbiosProviderClock, RegistrationAndCacheLifetimeFollowTheProvidersClock)
{
    const auto clock = std::make_shared<FakeClock>();
    PlNetbiosProvider alice(TestLan::MakeConfig(0, 2), clock);
    PlNetbiosProvider bob(TestLan::MakeConfig(1, 2), clock);

    AsyncNcb add;
    add.ncb.ncb_command = NCBADDNAME | ASYNCH;
    SetName(add.ncb.ncb_name, "ALICE", 0x00);
    add.ncb.ncb_event = &add.event;
    ASSERT_EQ(alice.Netbios(&add.ncb), NRC_GOODRET);
    EXPECT_EQ(add.Wait(300), NRC_PENDING) << "no time passed for the provider";
    for (int step = 0; step < 40 && add.Wait(50) == NRC_PENDING; ++step) {
        clock->Advance(std::chrono::milliseconds(250));
        alice.Wake();
    }
    ASSERT_EQ(add.Wait(0), NRC_GOODRET);

    std::vector<std::uint8_t> status;
    ASSERT_EQ(AdapterStatus(bob, "ALICE", 0x00, status), NRC_GOODRET);
    ASSERT_EQ(bob.CachedNames(0).size(), 1u);
    EXPECT_EQ(bob.CachedNames(0).front().remaining, std::chrono::seconds(600));
    clock->Advance(std::chrono::seconds(599));
    EXPECT_EQ(bob.CachedNames(0).front().remaining, std::chrono::seconds(1));
    clock->Advance(std::chrono::seconds(2));
    EXPECT_TRUE(bob.CachedNames(0).empty()) << "expired";
}

}  // namespace
}  // namespace pl::nb::test
