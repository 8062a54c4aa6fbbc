// The broadcast client over in-memory mailslots.

#include "fake_mailslots.h"
#include "messaging_station.h"

#include "platform/text/pl_codepage.h"
#include "transport/core/pl_network_err.h"
#include "transport/messaging/pl_client_registry.h"
#include "transport/messaging/pl_mslot_messaging_client.h"

#include <gtest/gtest.h>

#include <mutex>

namespace {

constexpr const char* kLocalPath = "\\\\.\\MAILSLOT\\MESSNGR";

class BroadcastClientTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        client_.SetReceiver(&receiver_);
        client_.CreateThread();
        ASSERT_TRUE(WaitUntil([&] { return client_.OpenMailslotCount() == 1; }));
    }

    FakeMailslots api_;
    Inbox inbox_;
    PlVoidUnaryMemberFunction<Inbox, CMsg> receiver_{&inbox_, &Inbox::OnMessage};
    PlMslotMessagingClient client_{api_, "hosta", "alice", 20};
};

TEST_F(BroadcastClientTest, SendsOneDatagramWithTheTextCutTo128Characters)
{
    api_.AddReachable("LABGROUP");
    CMsg msg{kBroadcastMessage, "labgroup", "ALICE", "LABGROUP", std::string(200, 'x')};
    client_.Send(msg);
    const auto writes = api_.Writes();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].path, "\\\\LABGROUP\\MAILSLOT\\MESSNGR");
    const std::string expected = std::string("ALICE\0LABGROUP\0", 15) + std::string(128, 'x') + std::string(1, '\0');
    EXPECT_EQ(std::string(writes[0].data.begin(), writes[0].data.end()), expected);

    msg.kind = kPersonalMessage;
    client_.Send(msg);
    EXPECT_EQ(api_.Writes().size(), 1u) << "a personal message is not this client's";
}

TEST_F(BroadcastClientTest, TextTheCodePageCannotHoldGoesAsUtf8InADatagramAReceiverTakes)
{
    pl::SetOemCodePage("CP850");
    api_.AddReachable("LABGROUP");
    std::string cjk;
    std::string emoji;
    for (int i = 0; i < 200; ++i) {
        cjk += "語";
        emoji += "😀";
    }
    const std::string head("ALICE\0LABGROUP\0", 15);
    client_.Send(CMsg{kBroadcastMessage, "LABGROUP", "ALICE", "LABGROUP", cjk});
    client_.Send(CMsg{kBroadcastMessage, "LABGROUP", "ALICE", "LABGROUP", emoji});
    client_.Send(CMsg{kBroadcastMessage, "LABGROUP", "ALICE", "LABGROUP", "Köln"});
    const auto writes = api_.Writes();
    ASSERT_EQ(writes.size(), 3u);
    // 128 characters of three bytes fit the 400 bytes; those of four bytes are cut to 96.
    EXPECT_EQ(std::string(writes[0].data.begin(), writes[0].data.end()), head + cjk.substr(0, 128 * 3) + '\0');
    EXPECT_EQ(std::string(writes[1].data.begin(), writes[1].data.end()), head + emoji.substr(0, 96 * 4) + '\0');
    EXPECT_EQ(std::string(writes[2].data.begin(), writes[2].data.end()), head + "K\x94ln" + '\0');

    // Received, the raw UTF-8 of a sender whose code page could not hold it is UTF-8.
    api_.Deliver(kLocalPath, writes[1].data);
    ASSERT_TRUE(WaitUntil([&] { return inbox_.Count() == 1; }));
    EXPECT_EQ(inbox_.messages[0].text, emoji.substr(0, 96 * 4));
    pl::SetOemCodePage("");
}

TEST_F(BroadcastClientTest, AnUnreachableTargetIsAnUnknownError)
{
    const CMsg msg{kBroadcastMessage, "NOSUCHHOST", "ALICE", "NOSUCHHOST", "hi"};
    EXPECT_THROW(client_.Send(msg), PlUnknownNetworkErr);
}

TEST_F(BroadcastClientTest, DeliversReceivedDatagramsWithTheirDestination)
{
    const std::string datagram("BOB\0*\0hello all\0", 16);
    api_.Deliver(kLocalPath, {datagram.begin(), datagram.end()});
    ASSERT_TRUE(WaitUntil([&] { return inbox_.Count() == 1; }));
    const CMsg& msg = inbox_.messages.front();
    EXPECT_EQ(msg.kind, kBroadcastMessage);
    EXPECT_EQ(msg.from, "BOB");
    EXPECT_EQ(msg.to, "*");
    EXPECT_EQ(msg.address, "*");
    EXPECT_EQ(msg.text, "hello all");
}

TEST_F(BroadcastClientTest, WakeCreatesTheMailslotAgainAndTheRegistryRoutesBroadcasts)
{
    const int creates = api_.CreateCount();
    client_.Wake();
    ASSERT_TRUE(WaitUntil([&] { return api_.CreateCount() > creates && client_.OpenMailslotCount() == 1; }));

    api_.AddReachable("HOSTB");
    PlClientRegistry registry;
    registry.Add(&client_);
    registry.Send(CMsg{kBroadcastMessage, "hostb", "ALICE", "HOSTB", "via registry"});
    EXPECT_EQ(api_.Writes().size(), 1u);
}

}  // namespace
