#pragma once
// NbEventLoop: the provider's single thread of work. It waits with epoll for
// its sockets, runs timers read from the provider's clock and runs tasks that
// other threads post. Everything but Post and Wake must be called on the loop's
// own thread.

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
    bool OnLoopThread() const { return std::this_thread::get_id() == threadId_.load(); }

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
    std::atomic<std::thread::id> threadId_{};
    std::atomic<bool> stop_{false};

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
