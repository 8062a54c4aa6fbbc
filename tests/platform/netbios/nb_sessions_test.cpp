// Session service of the provider on a loopback LAN: listen and call, send
// and receive (also in pieces), time limits, cancel, the ends of a session.

#include "nb_test_lan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <numeric>
#include <thread>

namespace pl::nb::test {
namespace {

class NetbiosSessions : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(AddName(lan.Host(0), "CALLER"), NRC_GOODRET);
        ASSERT_EQ(AddName(lan.Host(1), "SERVER"), NRC_GOODRET);
    }

    // Connects CALLER to SERVER; lsns of both ends.
    void Connect(std::uint8_t& callerLsn, std::uint8_t& serverLsn, std::uint8_t rto = 0)
    {
        auto listen = StartListen(lan.Host(1), "SERVER");
        ASSERT_EQ(Call(lan.Host(0), "CALLER", "SERVER", callerLsn, rto), NRC_GOODRET);
        ASSERT_EQ(listen->Wait(), NRC_GOODRET);
        serverLsn = listen->ncb.ncb_lsn;
        NCB expected{};
        SetName(expected.ncb_callname, "CALLER", 0x03);
        EXPECT_EQ(std::memcmp(listen->ncb.ncb_callname, expected.ncb_callname, NCBNAMSZ), 0);
    }

    TestLan lan{2};
};

TEST_F(NetbiosSessions, ExchangeMessagesBothWays)
{
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    Connect(a, b);
    const std::vector<std::uint8_t> hello(46, 'h');
    ASSERT_EQ(Send(lan.Host(0), a, hello), NRC_GOODRET);
    std::vector<std::uint8_t> got;
    ASSERT_EQ(Receive(lan.Host(1), b, got, 1024), NRC_GOODRET);
    EXPECT_EQ(got, hello);
    ASSERT_EQ(Send(lan.Host(1), b, {}), NRC_GOODRET) << "an empty message is a message";
    ASSERT_EQ(Receive(lan.Host(0), a, got, 1024), NRC_GOODRET);
    EXPECT_TRUE(got.empty());
}

TEST_F(NetbiosSessions, LargeMessageArrivesInPiecesWithIncomplete)
{
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    Connect(a, b);
    std::vector<std::uint8_t> big(60000);
    std::iota(big.begin(), big.end(), 0);
    ASSERT_EQ(Send(lan.Host(0), a, big), NRC_GOODRET);
    ASSERT_EQ(Send(lan.Host(0), a, {1, 2, 3}), NRC_GOODRET);
    std::vector<std::uint8_t> joined;
    std::vector<std::uint8_t> piece;
    std::uint8_t code = NRC_INCOMP;
    int pieces = 0;
    while (code == NRC_INCOMP) {
        code = Receive(lan.Host(1), b, piece, 4096);
        joined.insert(joined.end(), piece.begin(), piece.end());
        ++pieces;
    }
    EXPECT_EQ(code, NRC_GOODRET);
    EXPECT_EQ(pieces, 15);
    EXPECT_EQ(joined, big);
    ASSERT_EQ(Receive(lan.Host(1), b, piece, 4096), NRC_GOODRET);
    EXPECT_EQ(piece, (std::vector<std::uint8_t>{1, 2, 3})) << "the next message starts afresh";
}

TEST_F(NetbiosSessions, HangUpEndsTheSessionForThePeer)
{
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    Connect(a, b);
    AsyncNcb pending;
    pending.buffer.resize(64);
    pending.ncb.ncb_command = NCBRECV | ASYNCH;
    pending.ncb.ncb_lsn = b;
    pending.ncb.ncb_buffer = pending.buffer.data();
    pending.ncb.ncb_length = 64;
    pending.ncb.ncb_event = &pending.event;
    lan.Host(1).Netbios(&pending.ncb);
    Barrier(lan.Host(1));
    ASSERT_EQ(HangUp(lan.Host(0), a), NRC_GOODRET);
    EXPECT_EQ(pending.Wait(), NRC_SCLOSED);
    std::vector<std::uint8_t> got;
    EXPECT_EQ(Send(lan.Host(1), b, {1}), NRC_SCLOSED);
    EXPECT_EQ(HangUp(lan.Host(1), b), NRC_SCLOSED);
    EXPECT_EQ(HangUp(lan.Host(1), b), NRC_SNUMOUT) << "the session number is gone";
    EXPECT_EQ(Receive(lan.Host(0), a, got, 10), NRC_SNUMOUT);
}

TEST_F(NetbiosSessions, ReceiveTimeLimitKeepsTheSession)
{
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    Connect(a, b, 1);  // receive limit 500 ms
    std::vector<std::uint8_t> got;
    EXPECT_EQ(Receive(lan.Host(0), a, got, 10), NRC_CMDTMO);
    ASSERT_EQ(Send(lan.Host(1), b, {9}), NRC_GOODRET);
    EXPECT_EQ(Receive(lan.Host(0), a, got, 10), NRC_GOODRET);
}

TEST_F(NetbiosSessions, CallsThatCannotSucceedReportNoAnswer)
{
    std::uint8_t lsn = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Call(lan.Host(0), "CALLER", "NOBODY", lsn), NRC_NOCALL) << "nobody holds the name";
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(Call(lan.Host(0), "CALLER", "SERVER", lsn), NRC_NOCALL) << "held, but nobody listens";
    EXPECT_EQ(Call(lan.Host(0), "STRANGER", "SERVER", lsn), NRC_NOWILD) << "own name not registered";

    auto onlyBob = StartListen(lan.Host(1), "SERVER", "BOB");
    EXPECT_EQ(Call(lan.Host(0), "CALLER", "SERVER", lsn), NRC_NOCALL) << "listening for another caller";
    EXPECT_EQ(Cancel(lan.Host(1), &onlyBob->ncb), NRC_GOODRET);
    EXPECT_EQ(onlyBob->Wait(), NRC_CMDCAN);
}

TEST_F(NetbiosSessions, SpecificListenWinsOverWildcard)
{
    auto any = StartListen(lan.Host(1), "SERVER");
    auto specific = StartListen(lan.Host(1), "SERVER", "CALLER");
    std::uint8_t lsn = 0;
    ASSERT_EQ(Call(lan.Host(0), "CALLER", "SERVER", lsn), NRC_GOODRET);
    EXPECT_EQ(specific->Wait(), NRC_GOODRET);
    EXPECT_EQ(any->Wait(200), NRC_PENDING);
    EXPECT_EQ(DeleteName(lan.Host(1), "SERVER"), NRC_ACTSES) << "a session still uses it";
    EXPECT_EQ(any->Wait(), NRC_NAMERR) << "the deleted name ends its listens";
}

TEST_F(NetbiosSessions, SessionTableLimitAnswersInsufficientResources)
{
    NCB reset{};
    reset.ncb_command = NCBRESET;
    reset.ncb_callname[0] = 1;  // one session
    ASSERT_EQ(lan.Host(1).Netbios(&reset), NRC_GOODRET);
    ASSERT_EQ(AddName(lan.Host(1), "SERVER"), NRC_GOODRET);
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    Connect(a, b);
    auto second = StartListen(lan.Host(1), "SERVER");
    std::uint8_t lsn = 0;
    EXPECT_EQ(Call(lan.Host(0), "CALLER", "SERVER", lsn), NRC_REMTFUL);
    EXPECT_EQ(second->Wait(100), NRC_PENDING);
    EXPECT_EQ(Cancel(lan.Host(1), &second->ncb), NRC_GOODRET);
    EXPECT_EQ(second->Wait(), NRC_CMDCAN);
}

// The messenger's timed submission: one NCB submitted asynchronously again and
// again while it ends with "no answer", then cancelled when the limit passes.
TEST_F(NetbiosSessions, TimedSubmissionOfACallToAnAbsentName)
{
    AsyncNcb call;
    SetName(call.ncb.ncb_name, "CALLER", 0x03);
    SetName(call.ncb.ncb_callname, "NOBODY", 0x03);
    call.ncb.ncb_event = &call.event;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(2000);
    int submissions = 0;
    std::uint8_t last = NRC_PENDING;
    while (std::chrono::steady_clock::now() < limit && submissions < 101) {
        call.event.ResetEvent();
        call.ncb.ncb_command = NCBCALL | ASYNCH;
        ASSERT_EQ(lan.Host(0).Netbios(&call.ncb), NRC_GOODRET);
        ++submissions;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(limit - std::chrono::steady_clock::now());
        if (!call.event.Wait(static_cast<int>(std::max<std::int64_t>(left.count(), 0))))
            break;
        last = call.ncb.ncb_retcode;
        if (last != NRC_NOCALL)
            break;
    }
    const std::uint8_t cancel = Cancel(lan.Host(0), &call.ncb);
    EXPECT_TRUE(cancel == NRC_GOODRET || cancel == NRC_CANOCCR);
    call.event.Wait(5000);
    EXPECT_EQ(last, NRC_NOCALL);
    EXPECT_GE(submissions, 1);
    EXPECT_LE(submissions, 4) << "each submission waits for the whole name query";
}

TEST_F(NetbiosSessions, ProviderShutdownCompletesPendingNcbs)
{
    auto listen = StartListen(lan.Host(1), "SERVER");
    lan.Remove(1);
    EXPECT_EQ(listen->Wait(), NRC_CMDCAN);
}

// A peer that opens a session and then stays silent loses it after the idle
// limit; one that keeps sending keeps it. A name whose listens are all taken
// by sessions refuses further callers with "insufficient resources", which a
// caller tries again, instead of "not listening".
TEST(NetbiosSessionLimits, SilentSessionsEndAndBusyNamesSayInsufficientResources)
{
    TestLan lan(2, [](NetbtConfig& config) { config.sessionIdleTimeout = std::chrono::seconds(1); });
    ASSERT_EQ(AddName(lan.Host(0), "CALLER"), NRC_GOODRET);
    ASSERT_EQ(AddName(lan.Host(1), "SERVER"), NRC_GOODRET);

    auto listen = StartListen(lan.Host(1), "SERVER");
    std::uint8_t silent = 0;
    ASSERT_EQ(Call(lan.Host(0), "CALLER", "SERVER", silent), NRC_GOODRET);
    ASSERT_EQ(listen->Wait(), NRC_GOODRET);
    const std::uint8_t served = listen->ncb.ncb_lsn;

    std::uint8_t second = 0;
    EXPECT_EQ(Call(lan.Host(0), "CALLER", "SERVER", second), NRC_REMTFUL);  // busy, not absent

    const auto start = std::chrono::steady_clock::now();
    std::vector<std::uint8_t> got;
    EXPECT_EQ(Receive(lan.Host(1), served, got, 1024), NRC_SABORT);  // ended for silence
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_EQ(lan.Host(1).Counters().idleSessions.load(), 1u);
    EXPECT_EQ(Call(lan.Host(0), "CALLER", "SERVER", second), NRC_NOCALL);  // nobody listens now

    // Messages keep a session alive past the limit.
    listen = StartListen(lan.Host(1), "SERVER");
    std::uint8_t talking = 0;
    ASSERT_EQ(Call(lan.Host(0), "CALLER", "SERVER", talking), NRC_GOODRET);
    ASSERT_EQ(listen->Wait(), NRC_GOODRET);
    for (int i = 0; i < 4; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        ASSERT_EQ(Send(lan.Host(0), talking, {1}), NRC_GOODRET);
        ASSERT_EQ(Receive(lan.Host(1), listen->ncb.ncb_lsn, got, 1024), NRC_GOODRET) << i;
    }

    // So does a message the listener has not asked for yet: it waits for its
    // receive, past the limit, and the session with it.
    ASSERT_EQ(Send(lan.Host(0), talking, {7, 8}), NRC_GOODRET);
    std::this_thread::sleep_for(std::chrono::milliseconds(1600));
    ASSERT_EQ(Receive(lan.Host(1), listen->ncb.ncb_lsn, got, 1024), NRC_GOODRET);
    EXPECT_EQ(got, (std::vector<std::uint8_t>{7, 8}));
    EXPECT_EQ(lan.Host(1).Counters().idleSessions.load(), 1u) << "only the silent one ended";
}

}  // namespace
}  // namespace pl::nb::test
