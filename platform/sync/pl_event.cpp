#include "platform/sync/pl_event.h"

#include <algorithm>
#include <condition_variable>
#include <memory>

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

// A waiter is notified after both its mutex and the event's are released, so
// that it does not wake only to wait for one of them (the woken thread often
// runs at once, ahead of this one). The shared pointer keeps the waiter alive
// for the notification even when its thread has meanwhile returned.
void PlEvent::Set()
{
    std::shared_ptr<Waiter> first;
    std::vector<std::shared_ptr<Waiter>> more;  // a manual-reset event with several waiters
    {
        std::lock_guard lock(mutex_);
        for (auto& [waiter, index] : waiters_) {
            {
                std::lock_guard waiterLock(waiter->mutex);
                if (waiter->fired != kTimedOut)
                    continue;
                waiter->fired = index;
            }
            if (first)
                more.push_back(waiter);
            else
                first = waiter;
            if (mode_ == Reset::Auto)
                break;  // the signal went to this waiter and is consumed
        }
        if (!first || mode_ == Reset::Manual)
            signalled_ = true;
    }
    if (first)
        first->cv.notify_one();
    for (const auto& waiter : more)
        waiter->cv.notify_one();
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

void PlEvent::Attach(const std::shared_ptr<Waiter>& waiter, int index)
{
    waiters_.emplace_back(waiter, index);
}

void PlEvent::Detach(Waiter* waiter)
{
    std::lock_guard lock(mutex_);
    std::erase_if(waiters_, [waiter](const auto& entry) { return entry.first.get() == waiter; });
}

bool PlEvent::Wait(int ms)
{
    PlEvent* self = this;
    return WaitAny(std::span<PlEvent* const>(&self, 1), ms) == 0;
}

int PlEvent::WaitAny(std::span<PlEvent* const> events, int ms)
{
    const auto shared = std::make_shared<Waiter>();
    Waiter& waiter = *shared;
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
        event->Attach(shared, i);
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
