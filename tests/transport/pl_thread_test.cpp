#include "transport/core/pl_thread.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPrompt = std::chrono::milliseconds(1000);  // generous for a loaded machine

class Worker {
public:
    void Loop(PlThread& thread)
    {
        while (!thread.Pause(60000))
            ++rounds;
        stoppedCleanly = true;
    }
    void WaitForWork(PlThread& thread)
    {
        std::array<PlEvent*, 1> events{&work};
        while (thread.WaitAny(events, 60000) == 0)
            ++rounds;
        stoppedCleanly = true;
    }
    std::atomic<int> rounds{0};
    std::atomic<bool> stoppedCleanly{false};
    PlEvent work{PlEvent::Reset::Auto};
};

TEST(PlThread, StopOnAThreadThatNeverStartedReturnsAtOnce)
{
    Worker worker;
    PlThreadClassFunction<Worker> thread(&worker, &Worker::Loop);
    const auto start = Clock::now();
    thread.Stop();
    thread.Join();
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(100));
    EXPECT_FALSE(thread.IsActive());
}

TEST(PlThread, StopInterruptsALongPausePromptly)
{
    Worker worker;
    PlThreadClassFunction<Worker> thread(&worker, &Worker::Loop);
    ASSERT_TRUE(thread.CreateThread());
    EXPECT_FALSE(thread.CreateThread());  // already running
    const auto start = Clock::now();
    thread.Stop();
    EXPECT_LT(Clock::now() - start, kPrompt);
    EXPECT_TRUE(worker.stoppedCleanly);
    EXPECT_FALSE(thread.IsActive());
}

TEST(PlThread, WaitAnyReportsTheEventAndEndsOnStop)
{
    Worker worker;
    PlThreadClassFunction<Worker> thread(&worker, &Worker::WaitForWork);
    ASSERT_TRUE(thread.CreateThread());
    worker.work.Set();
    const auto deadline = Clock::now() + kPrompt * 5;
    while (worker.rounds.load() == 0 && Clock::now() < deadline)
        std::this_thread::yield();
    EXPECT_EQ(worker.rounds.load(), 1);
    thread.Stop();
    EXPECT_TRUE(worker.stoppedCleanly);
}

TEST(PlThread, StopOnAThreadThatEndedByItselfReturnsAtOnce)
{
    struct Quick {
        void Body(PlThread&) {}
    } quick;
    PlThreadClassFunction<Quick> thread(&quick, &Quick::Body);
    ASSERT_TRUE(thread.CreateThread());
    const auto deadline = Clock::now() + kPrompt * 5;
    while (thread.IsActive() && Clock::now() < deadline)
        std::this_thread::yield();
    const auto start = Clock::now();
    thread.Stop();
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(100));
}

TEST(PlThread, CanBeStartedAgainAfterStop)
{
    Worker worker;
    PlThreadClassFunction<Worker> thread(&worker, &Worker::Loop);
    ASSERT_TRUE(thread.CreateThread());
    thread.Stop();
    EXPECT_TRUE(thread.IsStopRequested());
    ASSERT_TRUE(thread.CreateThread());
    EXPECT_FALSE(thread.IsStopRequested());
    thread.Stop();
}

TEST(PlThread, PauseWaitsTheWholeTimeWithoutAStop)
{
    PlThread idle;
    const auto start = Clock::now();
    EXPECT_FALSE(idle.Pause(30));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(25));
    idle.RequestStop();
    EXPECT_TRUE(idle.IsStopRequested());
    EXPECT_TRUE(idle.Pause(60000));
}

TEST(PlClassThread, RunsTheObjectsThreadMain)
{
    struct Poller {
        void ThreadMain(PlThread& thread)
        {
            ran = true;
            thread.Pause(60000);
        }
        std::atomic<bool> ran{false};
    } poller;
    PlClassThread<Poller> thread(&poller);
    ASSERT_TRUE(thread.CreateThread());
    thread.Stop();
    EXPECT_TRUE(poller.ran);
}

}  // namespace
