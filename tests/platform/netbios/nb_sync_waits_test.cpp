// Synchronous NCBs whose caller waits for the session's socket on its own
// thread: several callers on one session, a session that ends or a request
// that is cancelled under a waiting caller, and a session number reused at
// once by the next call.

#include "nb_test_lan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace pl::nb::test {
namespace {

class NetbiosSyncWaits : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(AddName(lan.Host(0), "CALLER"), NRC_GOODRET);
        ASSERT_EQ(AddName(lan.Host(1), "SERVER"), NRC_GOODRET);
    }

    void Connect(std::uint8_t& callerLsn, std::uint8_t& serverLsn)
    {
        auto listen = StartListen(lan.Host(1), "SERVER");
        ASSERT_EQ(Call(lan.Host(0), "CALLER", "SERVER", callerLsn), NRC_GOODRET);
        ASSERT_EQ(listen->Wait(), NRC_GOODRET);
        serverLsn = listen->ncb.ncb_lsn;
    }

    // Gives threads started just before the time to reach their wait; the
    // results do not depend on it.
    static void LetThemWait() { std::this_thread::sleep_for(std::chrono::milliseconds(50)); }

    TestLan lan{2};
};

TEST_F(NetbiosSyncWaits, CallersWaitingOnOneSessionEachGetOneMessage)
{
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    Connect(a, b);
    std::vector<std::uint8_t> got[3];
    std::uint8_t codes[3] = {NRC_PENDING, NRC_PENDING, NRC_PENDING};
    std::vector<std::thread> receivers;
    for (int i = 0; i < 3; ++i)
        receivers.emplace_back([&, i] { codes[i] = Receive(lan.Host(1), b, got[i], 64); });
    LetThemWait();
    for (std::uint8_t value = 1; value <= 3; ++value)
        ASSERT_EQ(Send(lan.Host(0), a, {value, value}), NRC_GOODRET);
    for (auto& receiver : receivers)
        receiver.join();
    std::vector<std::uint8_t> firsts;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(codes[i], NRC_GOODRET);
        ASSERT_EQ(got[i].size(), 2U);
        firsts.push_back(got[i][0]);
    }
    std::sort(firsts.begin(), firsts.end());
    EXPECT_EQ(firsts, (std::vector<std::uint8_t>{1, 2, 3})) << "no message lost or given twice";
}

TEST_F(NetbiosSyncWaits, AWaitingReceiveEndsWithItsSessionAndTheNextSessionWorks)
{
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        std::uint8_t a = 0;
        std::uint8_t b = 0;
        Connect(a, b);
        std::vector<std::uint8_t> here;
        std::vector<std::uint8_t> there;
        std::uint8_t hereCode = NRC_PENDING;
        std::uint8_t thereCode = NRC_PENDING;
        std::thread waitHere([&] { hereCode = Receive(lan.Host(0), a, here, 64); });
        std::thread waitThere([&] { thereCode = Receive(lan.Host(1), b, there, 64); });
        LetThemWait();
        // Hung up here, under the waiting receive; the peer's waiting receive
        // learns of it from the socket.
        EXPECT_EQ(HangUp(lan.Host(0), a), NRC_GOODRET);
        waitHere.join();
        waitThere.join();
        EXPECT_EQ(hereCode, NRC_SCLOSED);
        EXPECT_EQ(thereCode, NRC_SCLOSED);
        EXPECT_EQ(HangUp(lan.Host(1), b), NRC_SCLOSED);
    }
    // The sockets of the last round are gone; a new session takes their
    // numbers and works both ways.
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    Connect(a, b);
    std::vector<std::uint8_t> got;
    std::thread echo([&] {
        std::vector<std::uint8_t> message;
        if (Receive(lan.Host(1), b, message, 64) == NRC_GOODRET)
            Send(lan.Host(1), b, message);
    });
    ASSERT_EQ(Send(lan.Host(0), a, {7, 8}), NRC_GOODRET);
    EXPECT_EQ(Receive(lan.Host(0), a, got, 64), NRC_GOODRET);
    echo.join();
    EXPECT_EQ(got, (std::vector<std::uint8_t>{7, 8}));
}

TEST_F(NetbiosSyncWaits, AWaitingReceiveCancelledFromAnotherThreadLeavesTheSessionOpen)
{
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    Connect(a, b);
    NCB receive{};
    std::uint8_t buffer[16];
    receive.ncb_command = NCBRECV;
    receive.ncb_lsn = a;
    receive.ncb_buffer = buffer;
    receive.ncb_length = sizeof buffer;
    std::uint8_t code = NRC_PENDING;
    std::thread waiter([&] { code = lan.Host(0).Netbios(&receive); });
    LetThemWait();
    // The receive may not be pending yet when the cancel comes: then the
    // cancel finds nothing, and a message ends the receive instead.
    const std::uint8_t cancel = Cancel(lan.Host(0), &receive);
    if (cancel != NRC_GOODRET) {
        ASSERT_EQ(Send(lan.Host(1), b, {5}), NRC_GOODRET);
    }
    waiter.join();
    EXPECT_EQ(code, cancel == NRC_GOODRET ? NRC_CMDCAN : NRC_GOODRET);
    std::vector<std::uint8_t> got;
    ASSERT_EQ(Send(lan.Host(1), b, {6}), NRC_GOODRET);
    EXPECT_EQ(Receive(lan.Host(0), a, got, 16), NRC_GOODRET);
    EXPECT_EQ(got, std::vector<std::uint8_t>{6});
}

TEST_F(NetbiosSyncWaits, ProviderShutdownEndsAWaitingReceive)
{
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    Connect(a, b);
    std::vector<std::uint8_t> got;
    std::uint8_t code = NRC_PENDING;
    PlNetbiosProvider& host = lan.Host(1);
    std::thread waiter([&] { code = Receive(host, b, got, 16); });
    LetThemWait();
    lan.Remove(1);  // returns once the waiting caller has left the provider
    waiter.join();
    EXPECT_NE(code, NRC_GOODRET);
    EXPECT_NE(code, NRC_PENDING);
}

}  // namespace
}  // namespace pl::nb::test
