#include "platform/sync/pl_event.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

TEST(PlEvent, ManualResetStaysSignalledUntilReset)
{
    PlEvent event(PlEvent::Reset::Manual);
    EXPECT_FALSE(event.Wait(0));
    event.Set();
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.Wait(0));
    event.ResetEvent();
    EXPECT_FALSE(event.Wait(0));
}

TEST(PlEvent, AutoResetReleasesOneWaitPerSet)
{
    PlEvent event(PlEvent::Reset::Auto);
    event.Set();
    event.Set();  // a second Set before any wait does not count twice
    EXPECT_TRUE(event.Wait(0));
    EXPECT_FALSE(event.Wait(0));
}

TEST(PlEvent, WaitTimesOutAfterTheLimit)
{
    PlEvent event;
    const auto start = Clock::now();
    EXPECT_FALSE(event.Wait(50));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(45));
}

TEST(PlEvent, WaitAnyReportsTheLowestSignalledIndex)
{
    PlEvent a, b, c;
    b.Set();
    c.Set();
    std::array<PlEvent*, 3> events{&a, &b, &c};
    EXPECT_EQ(PlEvent::WaitAny(events, 0), 1);
    EXPECT_EQ(PlEvent::WaitAny(std::span<PlEvent* const>(events.data(), 1), 0), PlEvent::kTimedOut);
}

TEST(PlEvent, WaitAnyWakesWhenAnotherThreadSets)
{
    PlEvent a, b;
    std::array<PlEvent*, 2> events{&a, &b};
    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        b.Set();
    });
    EXPECT_EQ(PlEvent::WaitAny(events, PlEvent::kInfinite), 1);
    setter.join();
}

// Starts `waiters` threads waiting on `event`, sets it `sets` times once they
// wait, and returns how many of them it woke.
int WokenBySets(PlEvent& event, int waiters, int sets)
{
    std::atomic<int> woken{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < waiters; ++i)
        threads.emplace_back([&] {
            if (event.Wait(2000))
                ++woken;
        });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    for (int i = 0; i < sets; ++i)
        event.Set();
    for (auto& thread : threads)
        thread.join();
    return woken.load();
}

TEST(PlEvent, AutoResetSignalGoesToExactlyOneOfManyWaiters)
{
    PlEvent event(PlEvent::Reset::Auto);
    EXPECT_EQ(WokenBySets(event, 4, 2), 2);
    EXPECT_FALSE(event.Wait(0));
}

TEST(PlEvent, ManualResetWakesEveryWaiter)
{
    PlEvent event(PlEvent::Reset::Manual);
    EXPECT_EQ(WokenBySets(event, 3, 1), 3);
    EXPECT_TRUE(event.IsSet());
}

TEST(PlEvent, SetRacingWaitsThatTimeOutTouchesNoWaiterThatLeft)
{
    // Set notifies after releasing its locks; a waiter that timed out and
    // returned meanwhile must not be notified through freed memory (the
    // sanitizer builds watch this).
    PlEvent event(PlEvent::Reset::Auto);
    std::atomic<bool> done{false};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i)
        waiters.emplace_back([&] {
            while (!done)
                event.Wait(0);
        });
    for (int i = 0; i < 20000; ++i)
        event.Set();
    done = true;
    for (auto& waiter : waiters)
        waiter.join();
}

TEST(PlEvent, AutoResetSignalIsNotLostWhenAWaiterSawAnotherEventFirst)
{
    // Hammer the race between an auto-reset Set and a WaitAny that returns
    // because of a different event: every Set must be consumed exactly once.
    PlEvent stop(PlEvent::Reset::Manual);
    PlEvent work(PlEvent::Reset::Auto);
    constexpr int kRounds = 2000;
    std::atomic<int> consumed{0};
    std::thread consumer([&] {
        std::array<PlEvent*, 2> events{&work, &stop};
        while (PlEvent::WaitAny(events, 1000) == 0)
            ++consumed;
    });
    for (int i = 0; i < kRounds; ++i) {
        work.Set();
        while (consumed.load() <= i && !work.IsSet())
            std::this_thread::yield();
        while (consumed.load() <= i)
            std::this_thread::yield();
    }
    stop.Set();
    consumer.join();
    EXPECT_EQ(consumed.load(), kRounds);
}

}  // namespace
