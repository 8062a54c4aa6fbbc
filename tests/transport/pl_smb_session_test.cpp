// The personal client against peers that behave differently from itself:
// Samba's smbd, senders of raw UTF-8, peers that break sessions.

#include "fake_netbios_lan.h"
#include "messaging_station.h"

#include "platform/text/pl_codepage.h"
#include "transport/core/pl_network_err.h"
#include "transport/messaging/pl_smb_messaging_client.h"
#include "transport/pdu/c_pdu_buffer.h"
#include "transport/pdu/c_smb_messenger_pdus.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <mutex>

namespace {

// A messenger name whose sessions are served by a script instead of the client.
class ScriptedPeer {
public:
    using Script = std::function<void(CConnection&, std::vector<int>& commands)>;

    ScriptedPeer(const PlNetbiosInterface& lana, Script script, const std::string& name = "PEER")
        : script_(std::move(script)), name_(name, 0x03, lana, 10)
    {
        name_.SetAcceptFunction(&onAccept_);
        name_.Start();
    }
    bool WaitReady()
    {
        return WaitUntil([&] { return name_.IsOpen(); });
    }
    std::vector<int> Commands()
    {
        std::lock_guard lock(mutex_);
        return commands_;
    }

private:
    void OnAccept(CConnection* connection, void*)
    {
        std::vector<int> commands;
        try {
            script_(*connection, commands);
        } catch (const PlNetworkErr&) {
        }
        connection->Close();
        std::lock_guard lock(mutex_);
        commands_.insert(commands_.end(), commands.begin(), commands.end());
    }

    Script script_;
    std::mutex mutex_;
    std::vector<int> commands_;
    PlVoidBinaryMemberFunction<ScriptedPeer, CConnection*, void*> onAccept_{this, &ScriptedPeer::OnAccept};
    CNetbiosName name_;
};

// Serves start, text and end; answers the start without a group id and drops a
// session that begins with a single-block message, as smbd does.
void SambaLike(CConnection& connection, std::vector<int>& commands)
{
    CSmbPdu_sendtxt pdu;
    connection.Receive(pdu);
    commands.push_back(pdu.Command);
    if (pdu.Command != 0xD5)
        return;  // closed without a reply
    CSmbPdu_sendstrt startReply;
    connection.Send(startReply);
    for (;;) {
        connection.Receive(pdu);
        commands.push_back(pdu.Command | (pdu.GroupId() << 8));
        if (pdu.Command == 0xD7) {
            CSmbPdu_sendtxt reply;
            connection.Send(reply);
            continue;
        }
        CSmbPdu_sendend reply;
        connection.Send(reply);
        return;
    }
}

// A sender written with raw PDUs, for sessions the client itself never sends.
class RawSender {
public:
    RawSender(FakeNetbiosLan& lan, FakeNetbiosLan::HostId host)
        : lana_(0, lan.Entry(host)), name_("RAW", 0x03, lana_, 10)
    {
        name_.Start();
    }
    bool WaitReady()
    {
        return WaitUntil([&] { return name_.IsOpen(); });
    }
    CConnection& Call(const std::string& to)
    {
        CConnection* connection = nullptr;
        name_.Connect(to, connection);
        return *connection;
    }
    std::size_t Connections() const { return name_.ConnectionCount(); }

private:
    PlNetbiosInterface lana_;
    CNetbiosName name_;
};

class SmbSessionTest : public ::testing::Test {
protected:
    void StartClient()
    {
        network = std::make_unique<PlNetbiosNetwork>(lan.Entry(hostA), 10);
        client = std::make_unique<PlSmbMessagingClient>(*network, "HOSTA", "ALICE");
        client->SetReceiver(&receiver);
        client->CreateThread();
        network->SetListener(client->ChangeListener());
        network->StartRefresh();
        ASSERT_TRUE(WaitUntil([&] { return client->OpenNameCount() == 2; }));
    }
    void TearDown() override
    {
        if (network)
            network->StopRefresh();
        client.reset();
        network.reset();
    }
    CMsg ToPeer(const std::string& text) { return CMsg{kPersonalMessage, "PEER", "ALICE", "PEER", text}; }

    FakeNetbiosLan lan;
    FakeNetbiosLan::HostId hostA = lan.AddHost({0});
    FakeNetbiosLan::HostId hostB = lan.AddHost({0});
    PlNetbiosInterface lanaB{0, lan.Entry(hostB)};
    Inbox inbox;
    PlVoidUnaryMemberFunction<Inbox, CMsg> receiver{&inbox, &Inbox::OnMessage};
    std::unique_ptr<PlNetbiosNetwork> network;
    std::unique_ptr<PlSmbMessagingClient> client;
};

TEST_F(SmbSessionTest, AShortMessageRefusedAsSingleBlockIsDeliveredAgainAsMultiBlock)
{
    ScriptedPeer samba(lanaB, SambaLike);
    ASSERT_TRUE(samba.WaitReady());
    StartClient();
    EXPECT_NO_THROW(client->Send(ToPeer("hello")));
    // Single block first, then start, one text block and end with group id 0.
    ASSERT_TRUE(WaitUntil([&] { return samba.Commands().size() == 4; }));
    EXPECT_EQ(samba.Commands(), (std::vector<int>{0xD0, 0xD5, 0xD7, 0xD6}));
    EXPECT_TRUE(WaitUntil([&] { return lan.OpenSessions() == 0; }));
}

// The refusal is remembered for that peer, under any spelling of its name:
// later short messages go straight to start, text and end. Another peer still
// gets a single block.
TEST_F(SmbSessionTest, APeerThatRefusedASingleBlockGetsMultiBlockFromThenOn)
{
    ScriptedPeer samba(lanaB, SambaLike);
    std::vector<int> otherCommands;
    std::mutex otherMutex;
    ScriptedPeer other(
        lanaB,
        [&](CConnection& connection, std::vector<int>&) {
            CSmbPdu_sends sends;
            connection.Receive(sends);
            {
                std::lock_guard lock(otherMutex);
                otherCommands.push_back(sends.Command);
            }
            sends.Reset();
            connection.Send(sends);
        },
        "OTHER");
    ASSERT_TRUE(samba.WaitReady());
    ASSERT_TRUE(other.WaitReady());
    StartClient();
    EXPECT_NO_THROW(client->Send(ToPeer("first")));
    EXPECT_NO_THROW(client->Send(ToPeer("second")));
    EXPECT_NO_THROW(client->Send(CMsg{kPersonalMessage, "peer", "ALICE", "peer", "third"}));
    EXPECT_NO_THROW(client->Send(CMsg{kPersonalMessage, "OTHER", "ALICE", "OTHER", "to the other"}));
    ASSERT_TRUE(WaitUntil([&] { return samba.Commands().size() == 10; }));
    EXPECT_EQ(samba.Commands(), (std::vector<int>{0xD0, 0xD5, 0xD7, 0xD6, 0xD5, 0xD7, 0xD6, 0xD5, 0xD7, 0xD6}));
    std::lock_guard lock(otherMutex);
    EXPECT_EQ(otherCommands, std::vector<int>{0xD0});
}

TEST_F(SmbSessionTest, AStartReplyWithoutWordsGivesGroupIdZero)
{
    ScriptedPeer samba(lanaB, SambaLike);
    ASSERT_TRUE(samba.WaitReady());
    StartClient();
    client->Send(ToPeer(std::string(300, 'z')));
    ASSERT_TRUE(WaitUntil([&] { return samba.Commands().size() == 5; }));
    EXPECT_EQ(samba.Commands(), (std::vector<int>{0xD5, 0xD7, 0xD7, 0xD7, 0xD6}));
}

TEST_F(SmbSessionTest, APeerThatBreaksTheSessionMidwayGivesTransmissionError)
{
    ScriptedPeer breaker(lanaB, [](CConnection& connection, std::vector<int>& commands) {
        CSmbPdu_sendstrt start;
        connection.Receive(start);
        commands.push_back(start.Command);
        start.Reset();
        start.SetGroupId(3);
        connection.Send(start);  // then hangs up before the text arrives
    });
    ASSERT_TRUE(breaker.WaitReady());
    StartClient();
    EXPECT_THROW(client->Send(ToPeer(std::string(200, 'q'))), PlDataTransmissionErr);
    EXPECT_TRUE(WaitUntil([&] { return lan.OpenSessions() == 0; }));  // nothing left open
}

TEST_F(SmbSessionTest, ReceivedEmptyMultiBlockMessageIsDeliveredWithEmptyText)
{
    StartClient();
    RawSender raw(lan, hostB);
    ASSERT_TRUE(raw.WaitReady());
    CConnection& connection = raw.Call("HOSTA");
    CSmbPdu_sendstrt start;
    start.Originator = "RAW";
    start.Destination = "HOSTA";
    connection.Send(start);
    connection.Receive(start);
    EXPECT_EQ(start.WordCount, 1);
    CSmbPdu_sendend end;
    end.SetGroupId(start.GroupId());
    connection.Send(end);
    connection.Receive(end);
    EXPECT_EQ(end.Command, 0xD6);
    connection.Close();
    ASSERT_TRUE(WaitUntil([&] { return inbox.Count() == 1; }));
    EXPECT_EQ(inbox.messages[0].from, "RAW");
    EXPECT_EQ(inbox.messages[0].to, "HOSTA");
    EXPECT_EQ(inbox.messages[0].text, "");
}

// Sends one multi-block message whose text blocks are the given bytes, written
// byte by byte as other senders write them, and returns the delivered text.
std::string SendBlocks(RawSender& raw, Inbox& inbox, const std::vector<std::string>& blocks)
{
    const std::size_t before = inbox.Count();
    CConnection& connection = raw.Call("HOSTA");
    CSmbPdu_sendstrt start;
    start.Originator = "RAW";
    start.Destination = "HOSTA";
    connection.Send(start);
    connection.Receive(start);
    for (const std::string& bytes : blocks) {
        const auto little = [](std::size_t value) {
            return std::string{static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
        };
        const std::string pdu = std::string("\xFFSMB\xD7", 5) + std::string(27, '\0') + "\x01\x01" +
                                std::string(1, '\0') + little(bytes.size() + 3) + "\x01" + little(bytes.size()) + bytes;
        CPduBuffer buffer;
        buffer.Put(pdu.data(), static_cast<int>(pdu.size()));
        connection.SendRaw(buffer);
        CSmbPdu_sendtxt reply;
        connection.Receive(reply);
    }
    CSmbPdu_sendend end;
    connection.Send(end);
    connection.Receive(end);
    connection.Close();
    EXPECT_TRUE(WaitUntil([&] { return inbox.Count() == before + 1; }));
    std::lock_guard lock(inbox.mutex);
    return inbox.messages.size() > before ? inbox.messages[before].text : std::string("(nothing)");
}

TEST_F(SmbSessionTest, BlocksAreJoinedAndDecodedOnceAsSambasClientCutsThem)
{
    pl::SetOemCodePage("CP866");
    StartClient();
    RawSender raw(lan, hostB);
    ASSERT_TRUE(raw.WaitReady());
    EXPECT_EQ(SendBlocks(raw, inbox, {pl::AnsiToOem("так", "CP866")}), "так");  // also valid UTF-8
    // Raw UTF-8 in 127-byte blocks, cut inside characters at both offsets.
    std::string cyrillic;
    for (int i = 0; i < 30; ++i)
        cyrillic += "Съешь ещё ";
    for (const std::string& text : {cyrillic, "x" + cyrillic}) {
        std::vector<std::string> blocks;
        for (std::size_t pos = 0; pos < text.size(); pos += 127)
            blocks.push_back(text.substr(pos, 127));
        EXPECT_EQ(SendBlocks(raw, inbox, blocks), text);
    }
    pl::SetOemCodePage("");
}

TEST_F(SmbSessionTest, ATextCutAtTheBoundEndsWithAMark)
{
    StartClient();
    RawSender raw(lan, hostB);
    ASSERT_TRUE(raw.WaitReady());
    const std::vector<std::string> blocks(200, std::string(128, 'w'));  // 25,600 bytes
    const std::string text = SendBlocks(raw, inbox, blocks);
    const std::size_t kept = PlSmbMessagingClient::kMaxReceivedBytes;
    EXPECT_EQ(text, std::string(kept, 'w') + PlSmbMessagingClient::kCutMark);
    EXPECT_EQ(SendBlocks(raw, inbox, {std::string(100, 'x')}), std::string(100, 'x'));  // an uncut one has none
}

TEST_F(SmbSessionTest, UnknownCommandsAreHungUpWithoutAMessage)
{
    StartClient();
    RawSender raw(lan, hostB);
    ASSERT_TRUE(raw.WaitReady());
    CConnection& connection = raw.Call("HOSTA");
    CSmbPdu unknown;
    unknown.Command = 0x72;  // negotiate, not a messenger command
    connection.Send(unknown);
    CSmbPdu reply;
    EXPECT_THROW(connection.Receive(reply), PlDataTransmissionErr);  // hung up, no reply
    connection.Close();
    EXPECT_TRUE(WaitUntil([&] { return lan.OpenSessions() == 0; }));
    EXPECT_EQ(inbox.Count(), 0u);

    // The name serves the next session as usual.
    client->Send(CMsg{kPersonalMessage, "HOSTA", "ALICE", "HOSTA", "to myself"});
    ASSERT_TRUE(WaitUntil([&] { return inbox.Count() == 1; }));
    EXPECT_EQ(raw.Connections(), 0u);
}

}  // namespace
