#include "transport/core/pl_thread.h"

#include <vector>

PlThread::PlThread() = default;

PlThread::~PlThread()
{
    Stop();
}

bool PlThread::CreateThread()
{
    std::lock_guard lock(mutex_);
    if (active_.load())
        return false;
    if (thread_.joinable())
        thread_.join();  // an earlier run that ended by itself
    stopEvent_.ResetEvent();
    active_ = true;
    thread_ = std::thread(&PlThread::Main, this);
    return true;
}

void PlThread::Main()
{
    Run();
    active_ = false;
}

void PlThread::RequestStop()
{
    // Linux gives an unprivileged process no way to raise a thread's priority;
    // the interruptible waits make the stop prompt without it.
    stopEvent_.Set();
}

void PlThread::Join()
{
    std::lock_guard lock(mutex_);
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

void PlThread::Stop()
{
    {
        std::lock_guard lock(mutex_);
        if (!thread_.joinable())
            return;
        if (thread_.get_id() == std::this_thread::get_id()) {
            stopEvent_.Set();  // cannot join itself; the owner joins later
            return;
        }
    }
    if (active_.load())
        RequestStop();
    Join();
}

bool PlThread::IsStopRequested() const
{
    return stopEvent_.IsSet();
}

bool PlThread::Pause(int ms)
{
    return stopEvent_.Wait(ms);
}

int PlThread::WaitAny(std::span<PlEvent* const> events, int ms)
{
    std::vector<PlEvent*> all(events.begin(), events.end());
    all.push_back(&stopEvent_);
    const int fired = PlEvent::WaitAny(all, ms);
    return fired == static_cast<int>(events.size()) ? PlEvent::kTimedOut : fired;
}
