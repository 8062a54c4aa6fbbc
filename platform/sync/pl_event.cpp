#include "platform/sync/pl_event.h"

#include <algorithm>
#include <condition_variable>

// A waiter is registered with every event it waits on. Set hands the signal to
// waiters under the waiter's own mutex, so a waiter is claimed by at most one
// event; lock order is always event, then waiter.
struct PlEvent::Waiter {
    std::mutex mutex;
    std::condition_variable cv;
    int fired = kTimedOut;
};

PlEvent::PlEvent(Reset mode, bool signalled) : mode_(mode), signalled_(signalled) {}

PlEvent::~PlEvent() = default;

// The waiter is notified after its mutex is released, so that it does not
// wake only to wait for that mutex; it stays alive meanwhile, because it
// detaches from this event (under mutex_) before it returns.
void PlEvent::Set()
{
    std::lock_guard lock(mutex_);
    for (auto& [waiter, index] : waiters_) {
        {
            std::lock_guard waiterLock(waiter->mutex);
            if (waiter->fired != kTimedOut)
                continue;
            waiter->fired = index;
        }
        waiter->cv.notify_one();
        if (mode_ == Reset::Auto)
            return;  // the signal went to this waiter and is consumed
    }
    signalled_ = true;
}

void PlEvent::ResetEvent()
{
    std::lock_guard lock(mutex_);
    signalled_ = false;
}

bool PlEvent::IsSet() const
{
    std::lock_guard lock(mutex_);
    return signalled_;
}

bool PlEvent::TryConsumeLocked()
{
    if (!signalled_)
        return false;
    if (mode_ == Reset::Auto)
        signalled_ = false;
    return true;
}

void PlEvent::Attach(Waiter* waiter, int index)
{
    waiters_.emplace_back(waiter, index);
}

void PlEvent::Detach(Waiter* waiter)
{
    std::lock_guard lock(mutex_);
    std::erase_if(waiters_, [waiter](const auto& entry) { return entry.first == waiter; });
}

bool PlEvent::Wait(int ms)
{
    PlEvent* self = this;
    return WaitAny(std::span<PlEvent* const>(&self, 1), ms) == 0;
}

int PlEvent::WaitAny(std::span<PlEvent* const> events, int ms)
{
    Waiter waiter;
    int attached = 0;
    int result = kTimedOut;
    for (int i = 0; i < static_cast<int>(events.size()); ++i) {
        PlEvent* event = events[static_cast<std::size_t>(i)];
        std::lock_guard lock(event->mutex_);
        {
            std::lock_guard waiterLock(waiter.mutex);
            if (waiter.fired != kTimedOut)
                break;  // an event attached earlier already handed us its signal
        }
        if (event->TryConsumeLocked()) {
            result = i;
            break;
        }
        event->Attach(&waiter, i);
        attached = i + 1;
    }

    if (result == kTimedOut) {
        std::unique_lock waiterLock(waiter.mutex);
        auto fired = [&waiter] { return waiter.fired != kTimedOut; };
        if (ms == kInfinite)
            waiter.cv.wait(waiterLock, fired);
        else
            waiter.cv.wait_for(waiterLock, std::chrono::milliseconds(ms), fired);
    }

    for (int i = 0; i < attached; ++i)
        events[static_cast<std::size_t>(i)]->Detach(&waiter);

    // After detaching nobody can claim the waiter any more. A signal handed to
    // it while we were also consuming one directly must not be lost for an
    // auto-reset event: give it back.
    int handed = kTimedOut;
    {
        std::lock_guard waiterLock(waiter.mutex);
        handed = waiter.fired;
    }
    if (handed == kTimedOut)
        return result;
    if (result == kTimedOut)
        return handed;
    PlEvent* event = events[static_cast<std::size_t>(handed)];
    if (event->mode_ == Reset::Auto)
        event->Set();
    return result;
}
