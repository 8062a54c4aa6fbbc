#include "fake_netbios_lan.h"
#include "messaging_station.h"

#include "platform/text/pl_codepage.h"
#include "transport/core/pl_network_err.h"
#include "transport/messaging/pl_client_registry.h"
#include "transport/messaging/pl_smb_messaging_client.h"
#include "transport/pdu/c_pdu_buffer.h"
#include "transport/pdu/c_smb_messenger_pdus.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

namespace {

// One computer of the fake LAN running the personal client.
class FakeStation : public Station {
public:
    FakeStation(FakeNetbiosLan& lan, std::set<std::uint8_t> lanas, const std::string& computer, const std::string& user)
        : FakeStation(lan, lan.AddHost(lanas), lanas.size(), computer, user)
    {
    }
    FakeNetbiosLan::HostId Host() const { return host_; }

private:
    FakeStation(FakeNetbiosLan& lan, FakeNetbiosLan::HostId host, std::size_t adapters, const std::string& computer,
                const std::string& user)
        : Station(lan.Entry(host), adapters, computer, user), host_(host)
    {
    }
    FakeNetbiosLan::HostId host_;
};

CMsg Personal(const std::string& address, const std::string& text)
{
    return CMsg{kPersonalMessage, address, "ALICE", address, text};
}

// The commands (and group ids) of the PDUs a host sent.
std::vector<std::pair<int, int>> Commands(const std::vector<std::string>& sent)
{
    std::vector<std::pair<int, int>> commands;
    for (const std::string& bytes : sent) {
        CPduBuffer buffer;
        buffer.Put(bytes.data(), static_cast<int>(bytes.size()));
        CSmbPdu pdu;
        pdu.Decode(buffer);
        commands.emplace_back(pdu.Command, pdu.GroupId());
    }
    return commands;
}

// The byte count of every sendtxt block a host sent.
std::vector<std::size_t> TextBlockSizes(const std::vector<std::string>& sent)
{
    std::vector<std::size_t> sizes;
    for (const std::string& bytes : sent) {
        CPduBuffer buffer;
        buffer.Put(bytes.data(), static_cast<int>(bytes.size()));
        CSmbPdu_sendtxt text;
        text.Decode(buffer);
        if (text.Command == 0xD7)
            sizes.push_back(text.TextBytes().size());
    }
    return sizes;
}

std::string Repeat(const std::string& text, std::size_t count)
{
    std::string out;
    for (std::size_t i = 0; i < count; ++i)
        out += text;
    return out;
}

class SmbClientTest : public ::testing::Test {
protected:
    FakeNetbiosLan lan;
};

TEST_F(SmbClientTest, RegistersComputerAndUserNamesUpperCasedOnEveryAdapter)
{
    FakeStation station(lan, {0, 1}, "hosta", "alice");
    ASSERT_TRUE(station.WaitReady());
    EXPECT_EQ(station.Client().ComputerName(), "HOSTA");
    EXPECT_EQ(lan.NamesOf(station.Host(), 0), (std::vector<std::string>{"ALICE<3>", "HOSTA<3>"}));
    EXPECT_EQ(lan.NamesOf(station.Host(), 1), (std::vector<std::string>{"ALICE<3>", "HOSTA<3>"}));
}

TEST_F(SmbClientTest, LongNamesAreCutAlikeForRegistrationAndOriginator)
{
    FakeStation a(lan, {0}, "build-server-eu-west-7", "alexandra.konstantinopoulou");
    FakeStation b(lan, {0}, "HOSTB", "BOB");
    ASSERT_TRUE(a.WaitReady() && b.WaitReady());
    EXPECT_EQ(a.Client().ComputerName(), "BUILD-SERVER-EU");
    EXPECT_EQ(lan.NamesOf(a.Host(), 0), (std::vector<std::string>{"ALEXANDRA.KONST<3>", "BUILD-SERVER-EU<3>"}));
    a.Client().Send(CMsg{kPersonalMessage, "HOSTB", "ALEXANDRA.KONSTANTINOPOULOU", "HOSTB", "hi"});
    ASSERT_TRUE(WaitUntil([&] { return b.inbox.Count() == 1; }));
    EXPECT_EQ(b.inbox.messages[0].from, "ALEXANDRA.KONST");
}

TEST_F(SmbClientTest, NamesFollowTheAdapterList)
{
    FakeStation station(lan, {0}, "HOSTA", "ALICE");
    ASSERT_TRUE(station.WaitReady());
    lan.SetLanas(station.Host(), {0, 4});
    ASSERT_TRUE(WaitUntil([&] { return station.Client().OpenNameCount() == 4; }));
    EXPECT_EQ(lan.NamesOf(station.Host(), 4).size(), 2u);
    lan.SetLanas(station.Host(), {4});
    ASSERT_TRUE(
        WaitUntil([&] { return station.Client().OpenNameCount() == 2 && lan.NamesOf(station.Host(), 0).empty(); }));
}

TEST_F(SmbClientTest, ShortTextGoesAsOneSingleBlockAndArrivesWhole)
{
    FakeStation a(lan, {0}, "HOSTA", "ALICE");
    FakeStation b(lan, {0}, "HOSTB", "BOB");
    ASSERT_TRUE(a.WaitReady() && b.WaitReady());
    a.Client().Send(Personal("bob", std::string(128, 's')));
    ASSERT_TRUE(WaitUntil([&] { return b.inbox.Count() == 1; }));
    const CMsg& got = b.inbox.messages.front();
    EXPECT_EQ(got.kind, kPersonalMessage);
    EXPECT_EQ(got.from, "ALICE");
    EXPECT_EQ(got.to, "bob");
    EXPECT_EQ(got.address, "bob");
    EXPECT_EQ(got.text, std::string(128, 's'));
    EXPECT_EQ(Commands(lan.SentBy(a.Host())), (std::vector<std::pair<int, int>>{{0xD0, 0}}));
    EXPECT_TRUE(WaitUntil([&] { return lan.OpenSessions() == 0; }));
}

// Each session is served on a worker of its own; a sender's messages still
// arrive in the order it sent them, single blocks and multi-block ones mixed.
TEST_F(SmbClientTest, MessagesOfOneSenderArriveInTheOrderSent)
{
    FakeStation a(lan, {0}, "HOSTA", "ALICE");
    FakeStation b(lan, {0}, "HOSTB", "BOB");
    ASSERT_TRUE(a.WaitReady() && b.WaitReady());
    std::vector<std::string> sent;
    for (int i = 0; i < 40; ++i) {
        sent.push_back(std::to_string(i).append(static_cast<std::size_t>(i % 3 == 0 ? 200 : 10), '.'));
        a.Client().Send(Personal("HOSTB", sent.back()));
    }
    ASSERT_TRUE(WaitUntil([&] { return b.inbox.Count() == sent.size(); }));
    std::lock_guard lock(b.inbox.mutex);
    for (std::size_t i = 0; i < sent.size(); ++i)
        EXPECT_EQ(b.inbox.messages[i].text, sent[i]) << i;
}

TEST_F(SmbClientTest, LongTextGoesAsStartBlocksOfAHundredTwentyEightAndEnd)
{
    FakeStation a(lan, {0}, "HOSTA", "ALICE");
    FakeStation b(lan, {0}, "HOSTB", "BOB");
    ASSERT_TRUE(a.WaitReady() && b.WaitReady());

    a.Client().Send(Personal("HOSTB", std::string(129, 'x')));
    ASSERT_TRUE(WaitUntil([&] { return b.inbox.Count() == 1; }));
    auto commands = Commands(lan.SentBy(a.Host()));
    ASSERT_EQ(commands.size(), 4u);
    EXPECT_EQ(commands[0].first, 0xD5);
    EXPECT_EQ(commands[1].first, 0xD7);
    EXPECT_EQ(commands[3].first, 0xD6);
    const int group = commands[1].second;
    EXPECT_EQ(commands[2].second, group);
    EXPECT_EQ(commands[3].second, group);

    std::string text;
    for (int i = 0; i < 1601; ++i)
        text += static_cast<char>('a' + i % 26);
    a.Client().Send(Personal("HOSTB", text));
    ASSERT_TRUE(WaitUntil([&] { return b.inbox.Count() == 2; }));
    EXPECT_EQ(b.inbox.messages[1].text, text.substr(0, 1600));
    commands = Commands(lan.SentBy(a.Host()));
    EXPECT_EQ(commands.size(), 4u + 15u);          // start, 12 of 128, one of 64, end
    EXPECT_EQ(commands[4 + 1].second, group + 1);  // the receiver's counter moved on
}

TEST_F(SmbClientTest, NonAsciiTextSurvivesTheOemCodePage)
{
    pl::SetOemCodePage("CP850");
    FakeStation a(lan, {0}, "HOSTA", "ALICE");
    FakeStation b(lan, {0}, "HOSTB", "BOB");
    ASSERT_TRUE(a.WaitReady() && b.WaitReady());
    a.Client().Send(Personal("HOSTB", "Grüße aus Köln"));
    a.Client().Send(Personal("HOSTB", std::string(200, 'y') + "Ärger"));
    ASSERT_TRUE(WaitUntil([&] { return b.inbox.Count() == 2; }));
    EXPECT_EQ(b.inbox.messages[0].text, "Grüße aus Köln");
    EXPECT_EQ(b.inbox.messages[1].text, std::string(200, 'y') + "Ärger");
    pl::SetOemCodePage("");
}

TEST_F(SmbClientTest, BlocksAreCountedInBytesOfWhatTravels)
{
    FakeStation a(lan, {0}, "HOSTA", "ALICE");
    FakeStation b(lan, {0}, "HOSTB", "BOB");
    ASSERT_TRUE(a.WaitReady() && b.WaitReady());
    // CP850 holds no CJK: 1600 of 1602 characters go as raw UTF-8, 42 to a block.
    pl::SetOemCodePage("CP850");
    a.Client().Send(Personal("HOSTB", Repeat("日本語", 534)));
    ASSERT_TRUE(WaitUntil([&] { return b.inbox.Count() == 1; }));
    EXPECT_EQ(b.inbox.messages[0].text, Repeat("日本語", 533) + "日");
    std::vector<std::size_t> expected(38, 126);
    expected.push_back(1600 * 3 - 38 * 126);
    EXPECT_EQ(TextBlockSizes(lan.SentBy(a.Host())), expected);

    // Double-byte CP932: 64 kanji fill one single block, 65 need two blocks.
    pl::SetOemCodePage("CP932");
    a.Client().Send(Personal("HOSTB", Repeat("漢", 64)));
    a.Client().Send(Personal("HOSTB", Repeat("漢", 65)));
    ASSERT_TRUE(WaitUntil([&] { return b.inbox.Count() == 3; }));
    EXPECT_EQ(b.inbox.messages[2].text, Repeat("漢", 65));
    const std::vector<std::size_t> sizes = TextBlockSizes(lan.SentBy(a.Host()));
    EXPECT_EQ(std::vector<std::size_t>(sizes.begin() + 39, sizes.end()), (std::vector<std::size_t>{128, 2}));
    EXPECT_EQ(Commands(lan.SentBy(a.Host()))[41].first, 0xD0);  // the 64 kanji: 128 bytes in one block
    pl::SetOemCodePage("");
}

TEST_F(SmbClientTest, FailuresMapToTheThreeErrorClasses)
{
    FakeStation a(lan, {0}, "HOSTA", "ALICE");
    ASSERT_TRUE(a.WaitReady());
    EXPECT_THROW(a.Client().Send(Personal("NOBODY", "hi")), PlAddrNotFoundErr);

    FakeNetbiosLan emptyLan;
    FakeStation lonely(emptyLan, {}, "HOSTC", "CAROL");
    EXPECT_THROW(lonely.Client().Send(Personal("HOSTA", "hi")), PlUnknownNetworkErr);

    // A broadcast is not this client's: nothing happens.
    const int calls = lan.Submissions(NCBCALL);
    a.Client().Send(CMsg{kBroadcastMessage, "WORKGROUP", "ALICE", "WORKGROUP", "hi"});
    EXPECT_EQ(lan.Submissions(NCBCALL), calls);
}

TEST_F(SmbClientTest, TheSecondAdapterDeliversWhenOnlyItReachesTheRecipient)
{
    FakeStation a(lan, {0, 1}, "HOSTA", "ALICE");
    FakeStation b(lan, {1}, "HOSTB", "BOB");
    ASSERT_TRUE(a.WaitReady() && b.WaitReady());
    EXPECT_NO_THROW(a.Client().Send(Personal("HOSTB", "via the second")));
    ASSERT_TRUE(WaitUntil([&] { return b.inbox.Count() == 1; }));
}

TEST_F(SmbClientTest, RegistrySendsThroughTheClientOfTheMessagesKind)
{
    FakeStation a(lan, {0}, "HOSTA", "ALICE");
    FakeStation b(lan, {0}, "HOSTB", "BOB");
    ASSERT_TRUE(a.WaitReady() && b.WaitReady());
    PlClientRegistry registry;
    registry.Send(Personal("HOSTB", "no client yet"));
    registry.Add(&a.Client());
    registry.Send(Personal("HOSTB", "through the registry"));
    ASSERT_TRUE(WaitUntil([&] { return b.inbox.Count() == 1; }));
    EXPECT_EQ(b.inbox.messages[0].text, "through the registry");
}

TEST(SmbGroupCounter, CountsUpAndWrapsFrom65535ToZero)
{
    const std::uint16_t first = PlSmbMessagingClient::NextGroupId();
    EXPECT_EQ(PlSmbMessagingClient::NextGroupId(), static_cast<std::uint16_t>(first + 1));
    std::uint16_t id = 0;
    do {
        id = PlSmbMessagingClient::NextGroupId();
    } while (id != 65535);
    EXPECT_EQ(PlSmbMessagingClient::NextGroupId(), 0);
    EXPECT_EQ(PlSmbMessagingClient::NextGroupId(), 1);
}

TEST_F(SmbClientTest, TwentySendersAtOnceAreEachDeliveredExactlyOnce)
{
    FakeStation receiver(lan, {0}, "HOSTR", "RITA");
    ASSERT_TRUE(receiver.WaitReady());
    constexpr int kSenders = 20;
    constexpr int kMessages = 5;
    std::vector<std::unique_ptr<FakeStation>> senders;
    for (int i = 0; i < kSenders; ++i)
        senders.push_back(std::make_unique<FakeStation>(lan, std::set<std::uint8_t>{0}, "HOST" + std::to_string(i),
                                                        "USER" + std::to_string(i)));
    for (auto& sender : senders)
        ASSERT_TRUE(sender->WaitReady());

    // Every other message is long enough to go as several blocks.
    auto textOf = [](int sender, int message) {
        const std::string body = "sender " + std::to_string(sender) + " message " + std::to_string(message);
        return message % 2 == 0 ? body : body + std::string(300, '.') + body;
    };
    std::vector<Station*> stations;
    for (auto& sender : senders)
        stations.push_back(sender.get());
    EXPECT_EQ(SendAllAtOnce(stations, "HOSTR", kMessages, 200, textOf), 0);
    ASSERT_TRUE(WaitUntil([&] { return receiver.inbox.Count() == kSenders * kMessages; }));
    EXPECT_TRUE(EachDeliveredOnce(receiver.inbox, kSenders, kMessages, textOf));
}

}  // namespace
