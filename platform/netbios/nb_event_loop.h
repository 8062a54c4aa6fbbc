#pragma once
// NbEventLoop: the provider's single thread of work. It waits with epoll for
// its sockets, runs timers read from the provider's clock and runs tasks that
// other threads post. The provider's state is guarded by one mutex that the
// loop holds whenever it is not waiting; RunExclusive lets another thread run
// a request under that mutex (after the tasks posted before it), so that a
// request that can finish at once costs no thread switch, and RunAndWait
// lets a synchronous request's own thread wait for the socket its answer
// comes on (see NbSyncWaiter). Watch, Modify, Unwatch, Lend, Finish,
// SetAfterUnlock, After and CancelTimer must be called with the state held
// (from loop code or inside RunExclusive/RunAndWait); Post and Wake from
// anywhere.
//
// Changes to what epoll watches are applied when the state is released, so
// that a socket watched and handed on within one request costs no system
// call, and events are set (SetAfterUnlock, Finish) only after the state is
// released, so that a woken thread does not at once wait for the state.

#include "platform/netbios/nb_clock.h"
#include "platform/netbios/nb_fd.h"
#include "platform/netbios/nb_state_mutex.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

class PlEvent;

namespace pl::nb {

class NbSyncWaiter;
class NbWakeFd;

class NbEventLoop {
public:
    using FdHandler = std::function<void(std::uint32_t events)>;
    using Task = std::function<void()>;
    using TimerId = std::uint64_t;

    explicit NbEventLoop(std::shared_ptr<PlNetbiosClock> clock);
    NbEventLoop(const NbEventLoop&) = delete;
    NbEventLoop& operator=(const NbEventLoop&) = delete;
    ~NbEventLoop();

    // Starts and stops the thread. Stop runs every task already posted first
    // and returns once no thread waits in RunAndWait any more.
    void Start();
    void Stop();
    // True on a thread that runs loop code now (the loop's thread, or code
    // inside RunExclusive): it must not wait for the loop.
    static bool InsideLoopCode();

    // Runs `work` with the state held, after every task posted before; from
    // any thread that is not inside loop code.
    void RunExclusive(const std::function<void()>& work);
    // Runs `work` like RunExclusive, then waits until `waiter` is finished
    // (Finish). While a socket is lent to the waiter (Lend) this thread waits
    // for it too and, when it is ready, runs its handler with the state held.
    void RunAndWait(const std::function<void()>& work, NbSyncWaiter& waiter);

    // `events` are epoll flags. A handler runs on the loop's thread, or on a
    // waiter's thread while its socket is lent.
    void Watch(int fd, std::uint32_t events, FdHandler handler);
    void Modify(int fd, std::uint32_t events);
    void Unwatch(int fd);

    // The request of `waiter` waits for `fd`: until the waiter is finished the
    // waiter's thread watches it instead of the loop. A socket is lent to one
    // waiter at a time; a second one is not lent and waits for its completion.
    void Lend(int fd, NbSyncWaiter& waiter);
    // The request of `waiter` completed: its socket goes back to the loop and
    // its thread is woken once the state is released.
    void Finish(NbSyncWaiter& waiter);
    // Sets `event` once the state is released.
    void SetAfterUnlock(PlEvent* event);
    // Closes `fd` once the state is released: the close of a session's
    // connection does the kernel's part of ending it, which need not hold up
    // others. (Not for a socket bound to a port that may be bound again
    // within the section.)
    void CloseAfterUnlock(UniqueFd fd);

    TimerId After(std::chrono::milliseconds delay, Task task);
    void CancelTimer(TimerId id);

    PlNetbiosClock::TimePoint Now() const { return clock_->Now(); }

    // Thread-safe: queue a task for the loop thread / wake the loop so that it
    // reads the clock again.
    void Post(Task task);
    void Wake();

private:
    struct Watched {
        std::uint64_t key = 0;
        std::shared_ptr<FdHandler> handler;
        std::uint32_t wanted = 0;   // what the owner asked for
        std::uint32_t applied = 0;  // what epoll watches; 0: not registered
        NbSyncWaiter* lentTo = nullptr;
        bool dirty = false;
    };
    // A wake-up to deliver once the state is released.
    struct Signal {
        PlEvent* event = nullptr;
        std::shared_ptr<NbWakeFd> wake;
    };

    void Run();
    void RunTasks();
    void RunTimers();
    // Sets sleepUntil_; returns the wait in milliseconds.
    int PlanWait();

    // Sockets (nb_event_loop_sockets.cpp).
    void MarkDirty(int fd, Watched& watched);
    void ApplyInterest();
    void WakeWaiter(NbSyncWaiter& waiter);
    void ReturnLend(NbSyncWaiter& waiter);
    void WaitOnce(NbSyncWaiter& waiter, std::unique_lock<NbStateMutex>& lock);

    // Ends a section of loop code: applies the interest changes, wakes the
    // loop for an earlier timer, releases the state and delivers the signals.
    void EndSection(std::unique_lock<NbStateMutex>& lock);
    // Applies the interest changes, releases the state and delivers the signals.
    void Release(std::unique_lock<NbStateMutex>& lock);

    std::shared_ptr<PlNetbiosClock> clock_;
    UniqueFd epoll_;
    UniqueFd wake_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    NbStateMutex stateMutex_;
    PlNetbiosClock::TimePoint sleepUntil_{};  // when the waiting loop wakes by itself
    int waiters_ = 0;                         // threads in RunAndWait
    std::condition_variable_any waitersGone_;

    std::mutex tasksMutex_;
    std::vector<Task> tasks_;

    std::unordered_map<int, Watched> byFd_;
    std::unordered_map<std::uint64_t, std::shared_ptr<FdHandler>> byKey_;
    std::uint64_t nextKey_ = 1;
    std::vector<int> dirty_;
    std::vector<Signal> signals_;
    std::vector<UniqueFd> closing_;

    std::map<std::pair<PlNetbiosClock::TimePoint, TimerId>, Task> timers_;
    std::unordered_map<TimerId, PlNetbiosClock::TimePoint> timerDue_;
    TimerId nextTimer_ = 1;
};

}  // namespace pl::nb
