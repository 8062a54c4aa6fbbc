#pragma once
// NbEventLoop: the provider's single thread of work. It waits with epoll for
// its sockets, runs timers read from the provider's clock and runs tasks that
// other threads post. The provider's state is guarded by one mutex that the
// loop holds whenever it is not waiting; RunExclusive lets another thread run
// a request under that mutex (after the tasks posted before it), so that a
// request that can finish at once costs no thread switch. Watch, Modify,
// Unwatch, After and CancelTimer must be called with the state held (from
// loop code or inside RunExclusive); Post and Wake from anywhere.

#include "platform/netbios/nb_clock.h"
#include "platform/netbios/nb_fd.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

namespace pl::nb {

class NbEventLoop {
public:
    using FdHandler = std::function<void(std::uint32_t events)>;
    using Task = std::function<void()>;
    using TimerId = std::uint64_t;

    explicit NbEventLoop(std::shared_ptr<PlNetbiosClock> clock);
    NbEventLoop(const NbEventLoop&) = delete;
    NbEventLoop& operator=(const NbEventLoop&) = delete;
    ~NbEventLoop();

    // Starts and stops the thread. Stop runs every task already posted first.
    void Start();
    void Stop();
    // True on a thread that runs loop code now (the loop's thread, or code
    // inside RunExclusive): it must not wait for the loop.
    static bool InsideLoopCode();

    // Runs `work` with the state held, after every task posted before; from
    // any thread that is not inside loop code.
    void RunExclusive(const std::function<void()>& work);

    void Watch(int fd, std::uint32_t events, FdHandler handler);
    void Modify(int fd, std::uint32_t events);
    void Unwatch(int fd);

    TimerId After(std::chrono::milliseconds delay, Task task);
    void CancelTimer(TimerId id);

    PlNetbiosClock::TimePoint Now() const { return clock_->Now(); }

    // Thread-safe: queue a task for the loop thread / wake the loop so that it
    // reads the clock again.
    void Post(Task task);
    void Wake();

private:
    void Run();
    void RunTasks();
    void RunTimers();
    int WaitMilliseconds() const;

    std::shared_ptr<PlNetbiosClock> clock_;
    UniqueFd epoll_;
    UniqueFd wake_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex stateMutex_;
    PlNetbiosClock::TimePoint sleepUntil_{};  // when the waiting loop wakes by itself

    std::mutex tasksMutex_;
    std::vector<Task> tasks_;

    struct Watched {
        std::uint64_t key;
        std::shared_ptr<FdHandler> handler;
    };
    std::unordered_map<int, Watched> byFd_;
    std::unordered_map<std::uint64_t, std::shared_ptr<FdHandler>> byKey_;
    std::uint64_t nextKey_ = 1;

    std::map<std::pair<PlNetbiosClock::TimePoint, TimerId>, Task> timers_;
    std::unordered_map<TimerId, PlNetbiosClock::TimePoint> timerDue_;
    TimerId nextTimer_ = 1;
};

}  // namespace pl::nb
