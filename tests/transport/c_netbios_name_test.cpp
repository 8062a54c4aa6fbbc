#include "fake_netbios_lan.h"
#include "test_wait.h"

#include "transport/core/pl_network_err.h"
#include "transport/netbios/c_netbios_name.h"
#include "transport/netbios/pl_netbios_network.h"
#include "transport/pdu/c_pdu_buffer.h"
#include "transport/pdu/c_smb_pdu.h"

#include <gtest/gtest.h>

#include <chrono>

#include <atomic>
#include <memory>
#include <mutex>

namespace {

using Names = std::vector<std::string>;

struct ChangeCounter {
    void OnChange() { ++changes; }
    std::atomic<int> changes{0};
};

class NetbiosLayerTest : public ::testing::Test {
protected:
    FakeNetbiosLan lan;
    FakeNetbiosLan::HostId hostA = lan.AddHost({0});
    FakeNetbiosLan::HostId hostB = lan.AddHost({0});
    PlNetbiosInterface lanaA{0, lan.Entry(hostA)};
    PlNetbiosInterface lanaB{0, lan.Entry(hostB)};
    static constexpr int kRetryMs = 30;
};

TEST_F(NetbiosLayerTest, RefreshReportsAddedAndRemovedAdaptersOnceEach)
{
    lan.SetLanas(hostA, {0, 1});
    ChangeCounter counter;
    PlVoidNullaryMemberFunction<ChangeCounter> listener(&counter, &ChangeCounter::OnChange);
    PlNetbiosNetwork network(lan.Entry(hostA), 10);
    network.SetListener(&listener);
    network.StartRefresh();
    ASSERT_TRUE(WaitUntil([&] { return counter.changes.load() == 1; }));

    const int enumsBefore = lan.Submissions(NCBENUM);
    ASSERT_TRUE(WaitUntil([&] { return lan.Submissions(NCBENUM) > enumsBefore + 3; }));
    EXPECT_EQ(counter.changes.load(), 1);  // nothing changed, nothing reported

    lan.SetLanas(hostA, {1});
    ASSERT_TRUE(WaitUntil([&] { return counter.changes.load() == 2; }));
    lan.SetLanas(hostA, {1, 2});
    ASSERT_TRUE(WaitUntil([&] { return counter.changes.load() == 3; }));
    network.StopRefresh();
    std::lock_guard lock(network.Lock());
    ASSERT_EQ(network.Interfaces().size(), 2u);
    EXPECT_EQ(static_cast<PlNetbiosInterface&>(*network.Interfaces()[0]).Lana(), 1);
    EXPECT_EQ(static_cast<PlNetbiosInterface&>(*network.Interfaces()[1]).Lana(), 2);
}

TEST_F(NetbiosLayerTest, ANameIsRegisteredUpperCasedWithTheMessengerSuffix)
{
    CNetbiosName name("alice", 0x03, lanaA, kRetryMs);
    name.Start();
    ASSERT_TRUE(WaitUntil([&] { return name.IsOpen(); }));
    EXPECT_EQ(name.Name(), "ALICE");
    EXPECT_EQ(lan.NamesOf(hostA, 0), Names{"ALICE<3>"});
}

TEST_F(NetbiosLayerTest, ADuplicateNameStaysUnregisteredAndIsRetried)
{
    auto other = std::make_unique<CNetbiosName>("ALICE", 0x03, lanaB, kRetryMs);
    other->Start();
    ASSERT_TRUE(WaitUntil([&] { return other->IsOpen(); }));

    CNetbiosName name("ALICE", 0x03, lanaA, kRetryMs);
    name.Start();
    const int addsBefore = lan.Submissions(NCBADDNAME);
    ASSERT_TRUE(WaitUntil([&] { return lan.Submissions(NCBADDNAME) >= addsBefore + 3; }));
    EXPECT_FALSE(name.IsOpen());
    EXPECT_TRUE(lan.NamesOf(hostA, 0).empty());

    other.reset();  // the holder leaves: the next retry registers the name
    ASSERT_TRUE(WaitUntil([&] { return name.IsOpen(); }));
    EXPECT_EQ(lan.NamesOf(hostA, 0), Names{"ALICE<3>"});
}

TEST_F(NetbiosLayerTest, AlternativeSuffixModeMovesPastTakenSuffixes)
{
    // On two other hosts: a name's registration first clears NAME<03> of its own host.
    const auto hostC = lan.AddHost({0});
    PlNetbiosInterface lanaC{0, lan.Entry(hostC)};
    CNetbiosName holder("ALICE", 0x03, lanaB, kRetryMs);
    CNetbiosName holder4("ALICE", 0x04, lanaC, kRetryMs);
    holder.Start();
    holder4.Start();
    ASSERT_TRUE(WaitUntil([&] { return holder.IsOpen() && holder4.IsOpen(); }));

    {
        CNetbiosName name("ALICE", CNetbiosName::kAlternativeSuffix, lanaA, kRetryMs);
        name.Start();
        ASSERT_TRUE(WaitUntil([&] { return name.IsOpen(); }));
        EXPECT_EQ(name.Suffix(), 0x05);
        EXPECT_EQ(lan.NamesOf(hostA, 0), Names{"ALICE<5>"});
    }
    EXPECT_TRUE(lan.NamesOf(hostA, 0).empty());  // released with the suffix it had
}

TEST_F(NetbiosLayerTest, CallToAMissingNameFailsWithAddrNotFoundAndLeavesNothing)
{
    CNetbiosName name("ALICE", 0x03, lanaA, kRetryMs);
    CConnection* connection = reinterpret_cast<CConnection*>(&name);
    const auto start = std::chrono::steady_clock::now();
    try {
        name.Connect("nobody", connection);
        FAIL() << "the call succeeded";
    } catch (const PlAddrNotFoundErr& error) {
        EXPECT_EQ(error.Text(), "NBCallAsy3");
    }
    EXPECT_EQ(connection, nullptr);
    EXPECT_EQ(name.ConnectionCount(), 0u);
    // "No answer" is resubmitted for the call's whole 2 s, with a pause
    // between submissions; the NCB is cancelled.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
    EXPECT_GT(lan.Submissions(NCBCALL), 1);
    EXPECT_LE(lan.Submissions(NCBCALL), 2000 / pl::ncb::kResubmitPauseMs + 1);
    EXPECT_GE(lan.Submissions(NCBCANCEL), 1);
}

struct Collector {
    void OnAccept(CConnection* connection, void*)
    {
        CPduBuffer buffer;
        connection->ReceiveRaw(buffer);
        {
            std::lock_guard lock(mutex);
            received.emplace_back(reinterpret_cast<const char*>(buffer.Data()),
                                  static_cast<std::size_t>(buffer.Length()));
        }
        connection->Close();
    }
    std::vector<std::string> Received()
    {
        std::lock_guard lock(mutex);
        return received;
    }
    std::mutex mutex;
    std::vector<std::string> received;
};

TEST_F(NetbiosLayerTest, CallSendReceiveAndCloseBetweenTwoNames)
{
    Collector collector;
    PlVoidBinaryMemberFunction<Collector, CConnection*, void*> onAccept(&collector, &Collector::OnAccept);
    CNetbiosName server("HOSTB", 0x03, lanaB, kRetryMs);
    server.SetAcceptFunction(&onAccept);
    server.Start();
    CNetbiosName client("HOSTA", 0x03, lanaA, kRetryMs);
    client.Start();
    ASSERT_TRUE(WaitUntil([&] { return server.IsOpen() && client.IsOpen(); }));

    CConnection* connection = nullptr;
    client.Connect("hostb", connection);
    ASSERT_NE(connection, nullptr);
    EXPECT_EQ(connection->PeerName(), "HOSTB");
    EXPECT_EQ(client.ConnectionCount(), 1u);
    CPduBuffer buffer;
    buffer.Put("ping", 4);
    connection->SendRaw(buffer);
    ASSERT_TRUE(WaitUntil([&] { return server.ConnectionCount() == 0 && !collector.Received().empty(); }));
    EXPECT_EQ(collector.Received().front(), "ping");

    EXPECT_THROW(connection->Receive(*std::make_unique<CSmbPdu>()), PlDataTransmissionErr);  // closed by the server
    connection->Close();
    EXPECT_EQ(client.ConnectionCount(), 0u);
    EXPECT_EQ(lan.OpenSessions(), 0);
}

TEST_F(NetbiosLayerTest, AFatalListenResultSendsTheNameBackToRegistration)
{
    CNetbiosName name("ALICE", 0x03, lanaA, kRetryMs);
    name.Start();
    ASSERT_TRUE(WaitUntil([&] { return name.IsOpen(); }));
    const int addsBefore = lan.Submissions(NCBADDNAME);
    // Deleting the name under the pending listen completes it with 0x17.
    NCB ncb = pl::ncb::MakeNcb(NCBDELNAME, 0);
    pl::ncb::SetName(ncb.ncb_name, pl::MakeNetbiosName("ALICE", 0x03));
    ASSERT_EQ(lan.Submit(hostA, &ncb), NRC_GOODRET);
    ASSERT_TRUE(WaitUntil([&] { return lan.Submissions(NCBADDNAME) > addsBefore && name.IsOpen(); }));
    EXPECT_EQ(lan.NamesOf(hostA, 0), Names{"ALICE<3>"});
    EXPECT_TRUE(CNetbiosName::IsFatalListenResult(0x17));
    EXPECT_FALSE(CNetbiosName::IsFatalListenResult(NRC_CMDCAN));
}

TEST_F(NetbiosLayerTest, ClosingANameUnregistersItForGoodAndStopsPromptly)
{
    auto name = std::make_unique<CNetbiosName>("ALICE", 0x03, lanaA, kRetryMs);
    name->Start();
    ASSERT_TRUE(WaitUntil([&] { return name->IsOpen(); }));
    const auto start = std::chrono::steady_clock::now();
    name.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    const int adds = lan.Submissions(NCBADDNAME);
    std::this_thread::sleep_for(std::chrono::milliseconds(kRetryMs * 3));
    EXPECT_EQ(lan.Submissions(NCBADDNAME), adds);  // never registered again
    EXPECT_TRUE(lan.NamesOf(hostA, 0).empty());
}

TEST(NcbPrimitives, NameFieldsAreSpacePaddedAndResetAsksForTwentySessionsAndThirtyNames)
{
    const NCB ncb = pl::ncb::MakeNcb(NCBCALL, 3);
    EXPECT_EQ(ncb.ncb_lana_num, 3);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(ncb.ncb_callname), 16), std::string(16, ' '));
    NCB seen{};
    pl::ncb::ResetAdapter(
        [&](NCB* reset) {
            seen = *reset;
            return NRC_GOODRET;
        },
        2);
    EXPECT_EQ(seen.ncb_command, NCBRESET);
    EXPECT_EQ(seen.ncb_callname[0], 20);
    EXPECT_EQ(seen.ncb_callname[1], 0);
    EXPECT_EQ(seen.ncb_callname[2], 30);
}

TEST(NcbPrimitives, TimedSubmitReportsTimedOutWhenNothingCompleted)
{
    NCB* pending = nullptr;
    const auto entry = [&](NCB* ncb) -> std::uint8_t {
        if ((ncb->ncb_command & ~ASYNCH) == NCBCANCEL) {
            pending->ncb_retcode = pending->ncb_cmd_cplt = NRC_CMDCAN;
            pending->ncb_event->Set();
            return NRC_GOODRET;
        }
        pending = ncb;
        ncb->ncb_retcode = ncb->ncb_cmd_cplt = NRC_PENDING;
        return NRC_GOODRET;
    };
    NCB ncb = pl::ncb::MakeNcb(NCBASTAT, 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(pl::ncb::TimedSubmit(entry, ncb, 50), NRC_CMDTMO);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(45));
    EXPECT_EQ(ncb.ncb_cmd_cplt, NRC_CMDCAN);  // completed before it was handed back
}

}  // namespace
