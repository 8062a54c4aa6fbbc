#include "transport/core/pl_network.h"

#include "test_wait.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

class NumberedInterface : public PlNetworkInterface {
public:
    explicit NumberedInterface(int value) : number(value) {}
    const int number;
};

// A network whose "adapters" are a set of numbers that the test changes.
class FakeNetwork : public PlNetwork {
public:
    explicit FakeNetwork(int periodMs) : PlNetwork(periodMs) {}
    ~FakeNetwork() override { StopRefresh(); }

    void SetAdapters(std::set<int> adapters)
    {
        std::lock_guard guard(adaptersMutex_);
        adapters_ = std::move(adapters);
    }

    void Refresh() override
    {
        std::set<int> adapters;
        {
            std::lock_guard guard(adaptersMutex_);
            adapters = adapters_;
        }
        for (auto& entry : interfaces_)
            entry->stale = 1;
        for (int number : adapters) {
            auto it = std::find_if(interfaces_.begin(), interfaces_.end(), [number](const auto& entry) {
                return static_cast<NumberedInterface&>(*entry).number == number;
            });
            if (it != interfaces_.end()) {
                (*it)->stale = 0;
            } else {
                interfaces_.push_back(std::make_unique<NumberedInterface>(number));
                changed_ = true;
            }
        }
        const auto removed = std::erase_if(interfaces_, [](const auto& entry) { return entry->stale != 0; });
        changed_ = changed_ || removed > 0;
        ++refreshes;
    }

    std::size_t InterfaceCount()
    {
        std::lock_guard guard(Lock());
        return Interfaces().size();
    }

    std::atomic<int> refreshes{0};

private:
    std::mutex adaptersMutex_;
    std::set<int> adapters_;
};

struct Listener {
    void OnChange() { ++calls; }
    std::atomic<int> calls{0};
};

class PlNetworkTest : public ::testing::Test {
protected:
    static constexpr int kPeriodMs = 20;
    FakeNetwork network{kPeriodMs};
    Listener listener;
    PlVoidNullaryMemberFunction<Listener> onChange{&listener, &Listener::OnChange};

    void SetUp() override { network.SetListener(&onChange); }

    // Waits for `n` more refreshes after the current one.
    void WaitRefreshes(int n)
    {
        const int target = network.refreshes.load() + n;
        ASSERT_TRUE(WaitUntil([&] { return network.refreshes.load() >= target; }));
    }
};

TEST_F(PlNetworkTest, FirstRefreshReportsEveryAdapterAsOneChange)
{
    network.SetAdapters({1, 2});
    network.StartRefresh();
    WaitRefreshes(3);
    EXPECT_EQ(listener.calls.load(), 1);
    EXPECT_EQ(network.InterfaceCount(), 2u);
}

TEST_F(PlNetworkTest, RefreshThatChangesNothingDoesNotCallTheListener)
{
    network.SetAdapters({1});
    network.StartRefresh();
    WaitRefreshes(2);
    const int before = listener.calls.load();
    WaitRefreshes(5);
    EXPECT_EQ(listener.calls.load(), before);
}

TEST_F(PlNetworkTest, AddingOrRemovingAnAdapterCallsTheListenerOnce)
{
    network.SetAdapters({1});
    network.StartRefresh();
    WaitRefreshes(2);
    ASSERT_EQ(listener.calls.load(), 1);

    network.SetAdapters({1, 2});
    WaitRefreshes(3);
    EXPECT_EQ(listener.calls.load(), 2);
    EXPECT_EQ(network.InterfaceCount(), 2u);

    network.SetAdapters({2});
    WaitRefreshes(3);
    EXPECT_EQ(listener.calls.load(), 3);
    EXPECT_EQ(network.InterfaceCount(), 1u);
}

TEST_F(PlNetworkTest, StopEndsTheDefaultFiveSecondWaitPromptly)
{
    FakeNetwork slow(PlNetwork::kRefreshPeriodMs);
    slow.StartRefresh();
    ASSERT_TRUE(WaitUntil([&] { return slow.refreshes.load() == 1; }));
    const auto start = Clock::now();
    slow.StopRefresh();
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1500));
    EXPECT_EQ(slow.refreshes.load(), 1);
}

TEST_F(PlNetworkTest, RebuildDeletesEveryInterface)
{
    network.SetAdapters({1, 2, 3});
    {
        std::lock_guard guard(network.Lock());
        network.Refresh();
        EXPECT_EQ(network.Interfaces().size(), 3u);
        network.Rebuild();
        EXPECT_TRUE(network.Interfaces().empty());
    }
}

}  // namespace
