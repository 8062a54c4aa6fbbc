// Mailslots and the browse list of the provider on a loopback LAN.

#include "nb_test_lan.h"

#include "platform/netbios/nb_mailslot_codec.h"
#include "platform/netbios/nb_socket.h"
#include "platform/netbios/nbdgm_codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

namespace pl::nb::test {
namespace {

constexpr const char* kLocalMessngr = "\\\\.\\MAILSLOT\\MESSNGR";

std::vector<std::uint8_t> Bytes(const std::string& text)
{
    return {text.begin(), text.end()};
}

// Waits up to ten seconds for `count` messages in the mailslot.
bool WaitForMessages(NbMailslotService& mailslots, int handle, std::size_t count)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::size_t queued = 0;
    std::size_t next = 0;
    while (mailslots.GetMailslotInfo(handle, queued, next) && queued < count) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return queued >= count;
}

std::string Read(NbMailslotService& mailslots, int handle)
{
    const auto message = mailslots.ReadMailslot(handle);
    return message ? std::string(message->begin(), message->end()) : std::string("<none>");
}

void Write(PlNetbiosProvider& host, const std::string& target, const std::string& text)
{
    auto& mailslots = host.Mailslots();
    const int handle = mailslots.OpenMailslot("\\\\" + target + "\\MAILSLOT\\MESSNGR");
    ASSERT_NE(handle, NbMailslotService::kInvalidHandle) << target;
    EXPECT_TRUE(mailslots.WriteMailslot(handle, Bytes(text)));
    mailslots.CloseHandle(handle);
}

TEST(NetbiosMailslots, WorkgroupWritesReachEveryHostAndComputerWritesOnlyOne)
{
    TestLan lan(3);
    std::vector<int> handles;
    for (int i = 0; i < 3; ++i) {
        handles.push_back(lan.Host(i).Mailslots().CreateMailslot(kLocalMessngr, 400));
        ASSERT_NE(handles.back(), NbMailslotService::kInvalidHandle);
    }
    EXPECT_EQ(lan.Host(0).Mailslots().CreateMailslot(kLocalMessngr, 400), NbMailslotService::kInvalidHandle)
        << "one local mailslot of a name";

    Write(lan.Host(0), "*", "to all");
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(WaitForMessages(lan.Host(i).Mailslots(), handles[static_cast<std::size_t>(i)], 1)) << i;
        EXPECT_EQ(Read(lan.Host(i).Mailslots(), handles[static_cast<std::size_t>(i)]), "to all");
    }
    Write(lan.Host(0), "workgroup", "by name");
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(WaitForMessages(lan.Host(i).Mailslots(), handles[static_cast<std::size_t>(i)], 1)) << i;
        EXPECT_EQ(Read(lan.Host(i).Mailslots(), handles[static_cast<std::size_t>(i)]), "by name");
    }

    ASSERT_EQ(AddName(lan.Host(1), "HOST1", 0x03), NRC_GOODRET);  // a messenger's name, as listen registers it
    Write(lan.Host(0), "host1", "only one");
    ASSERT_TRUE(WaitForMessages(lan.Host(1).Mailslots(), handles[1], 1));
    EXPECT_EQ(Read(lan.Host(1).Mailslots(), handles[1]), "only one");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::size_t count = 1;
    std::size_t next = 0;
    ASSERT_TRUE(lan.Host(2).Mailslots().GetMailslotInfo(handles[2], count, next));
    EXPECT_EQ(count, 0u) << "a write to a computer reaches no other";
    EXPECT_EQ(lan.Host(0).Mailslots().OpenMailslot("\\\\NOSUCHHOST\\MAILSLOT\\MESSNGR"),
              NbMailslotService::kInvalidHandle);
}

TEST(NetbiosMailslots, QueueHoldsOnlyWhatArrivedWhileOpenAndWithinItsLimit)
{
    TestLan lan(2);
    auto& receiver = lan.Host(1).Mailslots();
    Write(lan.Host(0), "*", "before open");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const int handle = receiver.CreateMailslot(kLocalMessngr, 400);
    std::size_t count = 1;
    std::size_t next = 1;
    ASSERT_TRUE(receiver.GetMailslotInfo(handle, count, next));
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(next, 0u);

    const auto dropped = lan.Host(1).Counters().droppedMailslotWrites.load();
    Write(lan.Host(0), "*", std::string(401, 'x'));
    Write(lan.Host(0), "*", std::string(400, 'y'));
    ASSERT_TRUE(WaitForMessages(receiver, handle, 1));
    ASSERT_TRUE(receiver.GetMailslotInfo(handle, count, next));
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(next, 400u);
    EXPECT_EQ(lan.Host(1).Counters().droppedMailslotWrites.load(), dropped + 1);
    receiver.CloseHandle(handle);
    EXPECT_FALSE(receiver.GetMailslotInfo(handle, count, next));
    EXPECT_FALSE(receiver.ReadMailslot(handle));
}

TEST(NetbiosMailslots, BrowseListShowsTheAnnouncedHostsUntilTheyLeave)
{
    TestLan lan(3);
    const auto listed = [&](int host, const std::string& name) {
        for (const NbBrowseEntry& entry : lan.Host(host).Mailslots().BrowseList())
            if (!entry.isWorkgroup && entry.name == name)
                return true;
        return false;
    };
    // Each host announces itself when it starts and asks the others to announce.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!(listed(0, "HOST1") && listed(0, "HOST2")) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(listed(0, "HOST0")) << "the local computer is always listed";
    EXPECT_TRUE(listed(0, "HOST2"));
    ASSERT_TRUE(listed(0, "HOST1"));
    const auto entries = lan.Host(0).Mailslots().BrowseList();
    ASSERT_FALSE(entries.empty());
    EXPECT_TRUE(entries.front().isWorkgroup);
    EXPECT_EQ(entries.front().name, "WORKGROUP");

    lan.Remove(1);  // announces server type 0 as it stops
    const auto gone = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (listed(0, "HOST1") && std::chrono::steady_clock::now() < gone)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(listed(0, "HOST1"));
}

}  // namespace
}  // namespace pl::nb::test

namespace pl::nb::test {
namespace {

// Sends one mailslot write from a socket of its own, as a foreign host would.
void SendRaw(TestLan& lan, int host, const std::string& destination, std::uint8_t suffix, bool group,
             const std::string& mailslot, const std::vector<std::uint8_t>& data)
{
    NbDatagram datagram;
    datagram.type = group ? kDgmDirectGroup : kDgmDirectUnique;
    datagram.sourceAddress = 0x7F000050;
    datagram.sourcePort = lan.Config(host).datagramPort;
    datagram.source = NbName{MakeNetbiosName("FOREIGN", 0), ""};
    datagram.destination = NbName{MakeNetbiosName(destination, suffix), ""};
    datagram.data = EncodeMailslotWrite(NbMailslotWrite{mailslot, 0, kMailslotSecondClass, data});
    const UniqueFd udp = OpenUdp(0x7F000050, 0, false);
    SendUdp(udp.Get(), EncodeDatagram(datagram), lan.Address(host), lan.Config(host).datagramPort);
}

TEST(NetbiosMailslots, AcceptsWritesForLocalNamesOnlyAndBoundsTheBrowseList)
{
    TestLan lan(1);
    auto& mailslots = lan.Host(0).Mailslots();
    const int handle = mailslots.CreateMailslot("\\\\.\\MAILSLOT\\MESSNGR", 400);
    ASSERT_EQ(AddName(lan.Host(0), "ALICE", 0x03), NRC_GOODRET);
    const std::vector<std::uint8_t> text{'x'};
    SendRaw(lan, 0, "OTHERGROUP", 0x00, true, "\\MAILSLOT\\MESSNGR", text);
    SendRaw(lan, 0, "HOST0", 0x20, false, "\\MAILSLOT\\MESSNGR", text);
    SendRaw(lan, 0, "STRANGER", 0x03, false, "\\MAILSLOT\\MESSNGR", text);
    SendRaw(lan, 0, "ALICE", 0x03, false, "\\mailslot\\messngr", {'a'});
    SendRaw(lan, 0, "HOST0", 0x00, false, "\\MAILSLOT\\MESSNGR", {'b'});
    SendRaw(lan, 0, "WORKGROUP", 0x00, true, "\\MAILSLOT\\MESSNGR", {'c'});
    ASSERT_TRUE(WaitForMessages(mailslots, handle, 3))
        << lan.Host(0).Counters().malformedPackets.load() << " " << lan.Host(0).Counters().droppedDatagrams.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::size_t count = 0;
    std::size_t next = 0;
    ASSERT_TRUE(mailslots.GetMailslotInfo(handle, count, next));
    EXPECT_EQ(count, 3u) << "only the writes to ALICE, HOST0<00> and the workgroup";
    EXPECT_EQ(Read(mailslots, handle), "a");
    EXPECT_EQ(Read(mailslots, handle), "b");
    EXPECT_EQ(Read(mailslots, handle), "c");

    // An old LAN Manager announcement on \MAILSLOT\LANMAN is not a browser frame.
    std::vector<std::uint8_t> lanman(40, 'L');
    lanman[0] = 1;
    SendRaw(lan, 0, "WORKGROUP", 0x00, true, "\\MAILSLOT\\LANMAN", lanman);
    for (int i = 0; i < 3000; ++i) {
        NbBrowseAnnouncement announcement{
            kBrowseHostAnnouncement, 60000, std::string("FLOOD").append(std::to_string(i)), 5, 1, 3, ""};
        SendRaw(lan, 0, std::string("G").append(std::to_string(i % 500)), 0x1D, true, "\\MAILSLOT\\BROWSE",
                EncodeAnnouncement(announcement));
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::vector<NbBrowseEntry> entries;
    do {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        entries = mailslots.BrowseList();
    } while (entries.size() < NbBrowseList::kMaxComputers && std::chrono::steady_clock::now() < deadline);
    EXPECT_LE(entries.size(), NbBrowseList::kMaxComputers + NbBrowseList::kMaxWorkgroups + 2);
    EXPECT_GE(entries.size(), 1000u) << "most of the flood arrived";
    EXPECT_TRUE(std::none_of(entries.begin(), entries.end(),
                             [](const NbBrowseEntry& e) { return e.name.starts_with("LLLL"); }));
}

}  // namespace
}  // namespace pl::nb::test
