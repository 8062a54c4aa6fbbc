#include "transport/core/c_port.h"

#include "test_wait.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A port whose Open fails a given number of times and whose Accept hands over
// one connection per pending caller.
class FakePort : public CPort {
public:
    FakePort(int failures, int retryMs) : CPort(retryMs), failures_(failures) {}
    ~FakePort() override { Stop(); }

    bool Open() override
    {
        std::lock_guard lock(mutex_);
        openTimes_.push_back(Clock::now());
        if (failures_ > 0) {
            --failures_;
            return false;
        }
        SetOpen(true);
        return true;
    }
    void Accept() override
    {
        if (callers_.Wait(20)) {
            CConnection& connection = AddConnection(std::make_unique<CConnection>(this, "PEER"));
            HandOver(connection);
        }
    }
    void Close(CConnection& connection) override { RemoveConnection(connection); }

    std::vector<Clock::time_point> OpenTimes()
    {
        std::lock_guard lock(mutex_);
        return openTimes_;
    }

    PlEvent callers_{PlEvent::Reset::Auto};

private:
    std::mutex mutex_;
    int failures_;
    std::vector<Clock::time_point> openTimes_;
};

class Client {
public:
    void OnAccept(CConnection* connection, void*)
    {
        ++accepted;
        lastPeer = connection->PeerName();
        connection->Close();
    }
    std::atomic<int> accepted{0};
    std::string lastPeer;
};

TEST(CPort, ConstructionSetsTheDocumentedDefaults)
{
    FakePort port(0, CPort::kOpenRetryMs);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.ReceiveTimeout(), 2000);
    EXPECT_EQ(port.SendTimeout(), 2000);
    EXPECT_TRUE(port.Identity().empty());
    CConnection* out = reinterpret_cast<CConnection*>(&port);
    port.CPort::Connect("X", out);
    EXPECT_EQ(out, nullptr);
}

TEST(CPort, AFailingOpenIsRetriedEveryPeriodAndStopEndsTheWaitAtOnce)
{
    // The period is scaled down from 3000 ms so that the test runs quickly.
    constexpr int kRetryMs = 150;
    FakePort port(1000, kRetryMs);
    port.Start();
    ASSERT_TRUE(WaitUntil([&] { return port.OpenTimes().size() >= 3; }, std::chrono::seconds(10)));
    const auto stopStart = Clock::now();
    port.Stop();
    EXPECT_LT(Clock::now() - stopStart, std::chrono::milliseconds(kRetryMs * 4));

    const auto times = port.OpenTimes();
    for (std::size_t i = 1; i < times.size(); ++i)
        EXPECT_GE(times[i] - times[i - 1], std::chrono::milliseconds(kRetryMs - 10));
    EXPECT_FALSE(port.IsOpen());
}

TEST(CPort, WaitingForPortsEndsWhenTheyOpenOrAtTheLimit)
{
    FakePort late(2, 100);  // opens at its third try
    FakePort never(1000, 100);
    late.Start();
    never.Start();
    EXPECT_TRUE(CPort::WaitForPorts([&] { return late.IsOpen(); }, 10000));
    EXPECT_GE(late.OpenTimes().size(), 3U);
    const auto start = Clock::now();
    EXPECT_FALSE(CPort::WaitForPorts([&] { return never.IsOpen(); }, 120));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(120));
    EXPECT_TRUE(CPort::WaitForPorts([&] { return late.IsOpen(); }, 0)) << "a condition that holds needs no wait";
}

TEST(CPort, TheDefaultRetryPeriodIsThreeSecondsAndStopEndsItWithinOneWait)
{
    FakePort port(1000, CPort::kOpenRetryMs);
    port.Start();
    ASSERT_TRUE(WaitUntil([&] { return !port.OpenTimes().empty(); }, std::chrono::seconds(10)));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(port.OpenTimes().size(), 1u);  // the second try waits 3 s
    const auto stopStart = Clock::now();
    port.Stop();
    EXPECT_LT(Clock::now() - stopStart, std::chrono::milliseconds(1500));
}

TEST(CPort, AcceptedConnectionsAreHandedOverOneAtATime)
{
    FakePort port(2, 10);
    Client client;
    PlVoidBinaryMemberFunction<Client, CConnection*, void*> onAccept(&client, &Client::OnAccept);
    port.SetAcceptFunction(&onAccept);
    port.SetIdentity("ALICE");
    port.Start();
    ASSERT_TRUE(WaitUntil([&] { return port.IsOpen(); }, std::chrono::seconds(10)));
    for (int i = 1; i <= 3; ++i) {
        port.callers_.Set();
        ASSERT_TRUE(WaitUntil([&] { return client.accepted.load() == i; }, std::chrono::seconds(10)));
    }
    port.Stop();
    EXPECT_EQ(client.lastPeer, "PEER");
    EXPECT_EQ(port.ConnectionCount(), 0u);  // every connection was closed and removed
    EXPECT_EQ(port.Identity(), "ALICE");
}

}  // namespace
