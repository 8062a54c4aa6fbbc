// The mailslot datagram and the mailslot port over in-memory mailslots.

#include "fake_mailslots.h"
#include "test_wait.h"

#include "transport/mailslot/c_mailslot.h"
#include "transport/mailslot/c_mailslot_pdu.h"
#include "transport/mailslot/pl_mailslot_network.h"
#include "transport/pdu/c_pdu_buffer.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

constexpr const char* kLocalPath = "\\\\.\\MAILSLOT\\MESSNGR";

CMailslotPdu DecodeBytes(const std::vector<std::uint8_t>& bytes)
{
    CPduBuffer buffer;
    buffer.Put(bytes.data(), static_cast<int>(bytes.size()));
    CMailslotPdu pdu;
    pdu.Decode(buffer);
    return pdu;
}

TEST(CMailslotPdu, DecodesWholeAndTruncatedDatagrams)
{
    const auto whole = DecodeBytes({0x41, 0x00, 0x42, 0x00, 0x68, 0x69, 0x00});
    EXPECT_EQ(whole.Originator, "A");
    EXPECT_EQ(whole.Destination, "B");
    EXPECT_EQ(whole.Text, "hi");
    EXPECT_EQ(DecodeBytes({0x41, 0x00, 0x42, 0x00, 0x68, 0x69}).Text, "hi") << "no final zero";
    const auto cut = DecodeBytes({0x41, 0x00});
    EXPECT_EQ(cut.Originator, "A");
    EXPECT_EQ(cut.Destination, "");
    EXPECT_EQ(cut.Text, "");
    EXPECT_EQ(DecodeBytes({}).Originator, "");
}

TEST(CMailslotPdu, EncodesThreeZeroEndedOemFields)
{
    CMailslotPdu pdu;
    pdu.Originator = "HOSTA";
    pdu.Destination = "*";
    pdu.Text = "hi";
    CPduBuffer buffer;
    pdu.Encode(buffer);
    const std::string expected("HOSTA\0*\0hi\0", 11);
    ASSERT_EQ(buffer.Length(), 11);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.Data()), 11), expected);
    const auto back = DecodeBytes({buffer.Data(), buffer.Data() + buffer.Length()});
    EXPECT_EQ(back.Originator, "HOSTA");
    EXPECT_EQ(back.Text, "hi");
}

struct Accepted {
    void OnAccept(CConnection* connection, void*)
    {
        CMailslotPdu pdu;
        connection->Receive(pdu);
        connection->Close();
        texts.push_back(pdu.Text);
        ++count;
    }
    std::vector<std::string> texts;  // written by the listening thread only
    std::atomic<int> count{0};
};

std::vector<std::uint8_t> Datagram(const std::string& text)
{
    const std::string bytes = std::string("A\0B\0", 4) + text + std::string(1, '\0');
    return {bytes.begin(), bytes.end()};
}

TEST(CMailslot, DiscardsTheBacklogThenHandsOverEachMessage)
{
    FakeMailslots api;
    api.Deliver(kLocalPath, Datagram("stale"));
    Accepted accepted;
    PlVoidBinaryMemberFunction<Accepted, CConnection*, void*> function(&accepted, &Accepted::OnAccept);
    {
        CMailslot mailslot(api, "MESSNGR");
        mailslot.SetAcceptFunction(&function);
        mailslot.Start();
        ASSERT_TRUE(WaitUntil([&] { return mailslot.IsOpen(); }));
        api.Deliver(kLocalPath, Datagram("one"));
        api.Deliver(kLocalPath, Datagram("two"));
        ASSERT_TRUE(WaitUntil([&] { return accepted.count.load() == 2; }));
        EXPECT_EQ(mailslot.ConnectionCount(), 0u);
    }
    EXPECT_EQ(accepted.texts, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(api.OpenHandleCount(), 0u) << "the destructor closes the mailslot";
}

// A burst is taken at the next wake, not one message per poll: after 200
// queued writes the next message comes within a few polls, none lost.
TEST(CMailslot, TakesAWholeBurstAtOneWake)
{
    FakeMailslots api;
    Accepted accepted;
    PlVoidBinaryMemberFunction<Accepted, CConnection*, void*> function(&accepted, &Accepted::OnAccept);
    CMailslot mailslot(api, "MESSNGR");
    mailslot.SetAcceptFunction(&function);
    mailslot.Start();
    ASSERT_TRUE(WaitUntil([&] { return mailslot.IsOpen(); }));
    for (int i = 0; i < 200; ++i)
        api.Deliver(kLocalPath, Datagram("burst " + std::to_string(i)));
    api.Deliver(kLocalPath, Datagram("the real one"));
    ASSERT_TRUE(WaitUntil([&] { return accepted.count.load() == 201; }, std::chrono::seconds(1)));
    mailslot.Stop();
    EXPECT_EQ(accepted.texts.back(), "the real one");
}

TEST(CMailslot, OpensALostMailslotAgain)
{
    FakeMailslots api;
    Accepted accepted;
    PlVoidBinaryMemberFunction<Accepted, CConnection*, void*> function(&accepted, &Accepted::OnAccept);
    CMailslot mailslot(api, "MESSNGR", 20);
    mailslot.SetAcceptFunction(&function);
    mailslot.Start();
    ASSERT_TRUE(WaitUntil([&] { return mailslot.IsOpen(); }));
    api.LoseAll();
    ASSERT_TRUE(WaitUntil([&] { return api.CreateCount() >= 2 && mailslot.IsOpen(); }));
    api.Deliver(kLocalPath, Datagram("after"));
    ASSERT_TRUE(WaitUntil([&] { return accepted.count.load() == 1; }));
    mailslot.Stop();
    EXPECT_EQ(accepted.texts.front(), "after");
}

TEST(CMailslot, ConnectsOnlyToReachableTargetsAndWritesOneDatagram)
{
    FakeMailslots api;
    api.AddReachable("HOSTB");
    CMailslot mailslot(api, "MESSNGR");
    CConnection* connection = nullptr;
    mailslot.Connect("nosuchhost", connection);
    EXPECT_EQ(connection, nullptr);
    mailslot.Connect("hostb", connection);
    ASSERT_NE(connection, nullptr);
    EXPECT_EQ(connection->PeerName(), "HOSTB");
    CMailslotPdu pdu;
    pdu.Originator = "A";
    pdu.Destination = "HOSTB";
    pdu.Text = "x";
    connection->Send(pdu);
    connection->Close();
    const auto writes = api.Writes();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].path, "\\\\HOSTB\\MAILSLOT\\MESSNGR");
    EXPECT_EQ(writes[0].data.size(), 10u);
    EXPECT_EQ(api.OpenHandleCount(), 0u);
}

TEST(PlMailslotNetwork, HasExactlyTheMessengerMailslot)
{
    PlMailslotNetwork network;
    network.Rebuild();
    std::lock_guard lock(network.Lock());
    ASSERT_EQ(network.Interfaces().size(), 1u);
    EXPECT_EQ(static_cast<PlMailslotInterface&>(*network.Interfaces()[0]).MailslotName(), "MESSNGR");
}

}  // namespace
