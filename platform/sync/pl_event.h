#pragma once
// PlEvent: the project's replacement for a Windows event object. Manual-reset
// events stay signalled until Reset; auto-reset events release exactly one
// waiter per Set. WaitAny waits for the first of several events.
//
// All operations may be called from any thread. An event must outlive every
// wait on it.

#include <chrono>
#include <cstddef>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

class PlEvent {
public:
    enum class Reset { Manual, Auto };

    // Result of WaitAny when no event fired within the time limit.
    static constexpr int kTimedOut = -1;
    // A time limit that never expires.
    static constexpr int kInfinite = -1;

    explicit PlEvent(Reset mode = Reset::Manual, bool signalled = false);
    PlEvent(const PlEvent&) = delete;
    PlEvent& operator=(const PlEvent&) = delete;
    ~PlEvent();

    void Set();
    void ResetEvent();
    bool IsSet() const;

    // Waits at most `ms` milliseconds (kInfinite: no limit); true when signalled.
    bool Wait(int ms);

    // Waits for the first of `events` to be signalled; returns its index, or
    // kTimedOut. When several are signalled the lowest index wins, as with
    // WaitForMultipleObjects. An auto-reset event is consumed only when it is
    // the one reported.
    static int WaitAny(std::span<PlEvent* const> events, int ms);

private:
    struct Waiter;

    bool TryConsumeLocked();
    void Attach(const std::shared_ptr<Waiter>& waiter, int index);
    void Detach(Waiter* waiter);

    const Reset mode_;
    mutable std::mutex mutex_;
    bool signalled_;
    std::vector<std::pair<std::shared_ptr<Waiter>, int>> waiters_;
};
