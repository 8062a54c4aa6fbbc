#include "platform/netbios/nb_event_loop.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>

#include <algorithm>
#include <stdexcept>

namespace pl::nb {

namespace {

constexpr std::uint64_t kWakeKey = 0;
constexpr int kMaxEvents = 64;
constexpr int kLongestWaitMs = 1000;

thread_local int insideLoopCode = 0;

// Marks the current thread as running loop code while it lives.
class InsideGuard {
public:
    InsideGuard() { ++insideLoopCode; }
    ~InsideGuard() { --insideLoopCode; }
    InsideGuard(const InsideGuard&) = delete;
    InsideGuard& operator=(const InsideGuard&) = delete;
};

class SystemClock final : public PlNetbiosClock {
public:
    TimePoint Now() const override { return std::chrono::steady_clock::now(); }
};

}  // namespace

std::shared_ptr<PlNetbiosClock> SystemNetbiosClock()
{
    static const auto clock = std::make_shared<SystemClock>();
    return clock;
}

NbEventLoop::NbEventLoop(std::shared_ptr<PlNetbiosClock> clock)
    : clock_(std::move(clock)), epoll_(epoll_create1(EPOLL_CLOEXEC)), wake_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    if (!epoll_.Valid() || !wake_.Valid())
        throw std::runtime_error("cannot create the provider's event loop");
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = kWakeKey;
    epoll_ctl(epoll_.Get(), EPOLL_CTL_ADD, wake_.Get(), &event);
}

NbEventLoop::~NbEventLoop()
{
    Stop();
}

void NbEventLoop::Start()
{
    stop_ = false;
    thread_ = std::thread([this] {
        const InsideGuard inside;
        Run();
    });
}

void NbEventLoop::Stop()
{
    if (!thread_.joinable())
        return;
    stop_ = true;
    Wake();
    thread_.join();
}

bool NbEventLoop::InsideLoopCode()
{
    return insideLoopCode > 0;
}

void NbEventLoop::RunExclusive(const std::function<void()>& work)
{
    std::lock_guard lock(stateMutex_);
    const InsideGuard inside;
    RunTasks();
    work();
    // A timer due before the loop's own wake-up needs the loop awake.
    if (!timers_.empty() && timers_.begin()->first.first < sleepUntil_)
        Wake();
}

void NbEventLoop::Watch(int fd, std::uint32_t events, FdHandler handler)
{
    Unwatch(fd);
    const std::uint64_t key = nextKey_++;
    auto shared = std::make_shared<FdHandler>(std::move(handler));
    byFd_[fd] = Watched{key, shared};
    byKey_[key] = shared;
    epoll_event event{};
    event.events = events;
    event.data.u64 = key;
    epoll_ctl(epoll_.Get(), EPOLL_CTL_ADD, fd, &event);
}

void NbEventLoop::Modify(int fd, std::uint32_t events)
{
    const auto it = byFd_.find(fd);
    if (it == byFd_.end())
        return;
    epoll_event event{};
    event.events = events;
    event.data.u64 = it->second.key;
    epoll_ctl(epoll_.Get(), EPOLL_CTL_MOD, fd, &event);
}

void NbEventLoop::Unwatch(int fd)
{
    const auto it = byFd_.find(fd);
    if (it == byFd_.end())
        return;
    epoll_ctl(epoll_.Get(), EPOLL_CTL_DEL, fd, nullptr);
    byKey_.erase(it->second.key);
    byFd_.erase(it);
}

NbEventLoop::TimerId NbEventLoop::After(std::chrono::milliseconds delay, Task task)
{
    const TimerId id = nextTimer_++;
    const auto due = clock_->Now() + delay;
    timers_.emplace(std::make_pair(due, id), std::move(task));
    timerDue_[id] = due;
    return id;
}

void NbEventLoop::CancelTimer(TimerId id)
{
    const auto it = timerDue_.find(id);
    if (it == timerDue_.end())
        return;
    timers_.erase(std::make_pair(it->second, id));
    timerDue_.erase(it);
}

void NbEventLoop::Post(Task task)
{
    {
        std::lock_guard lock(tasksMutex_);
        tasks_.push_back(std::move(task));
    }
    Wake();
}

void NbEventLoop::Wake()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(wake_.Get(), &one, sizeof one);
}

int NbEventLoop::WaitMilliseconds() const
{
    if (timers_.empty())
        return kLongestWaitMs;
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(timers_.begin()->first.first - clock_->Now());
    return static_cast<int>(std::clamp<std::int64_t>(wait.count(), 0, kLongestWaitMs));
}

void NbEventLoop::RunTasks()
{
    std::vector<Task> batch;
    {
        std::lock_guard lock(tasksMutex_);
        batch.swap(tasks_);
    }
    for (Task& task : batch)
        task();
}

void NbEventLoop::RunTimers()
{
    const auto now = clock_->Now();
    while (!timers_.empty() && timers_.begin()->first.first <= now) {
        auto node = timers_.extract(timers_.begin());
        timerDue_.erase(node.key().second);
        node.mapped()();
    }
}

void NbEventLoop::Run()
{
    epoll_event events[kMaxEvents];
    while (!stop_) {
        int wait = 0;
        {
            std::lock_guard lock(stateMutex_);
            wait = WaitMilliseconds();
            sleepUntil_ = clock_->Now() + std::chrono::milliseconds(wait);
        }
        const int count = epoll_wait(epoll_.Get(), events, kMaxEvents, wait);
        std::lock_guard lock(stateMutex_);
        sleepUntil_ = PlNetbiosClock::TimePoint::min();
        // Tasks first: a request posted before a packet was sent to us (a
        // receive, the start of a service) must be in place when the packet
        // is handled.
        RunTasks();
        for (int i = 0; i < count; ++i) {
            const std::uint64_t key = events[i].data.u64;
            if (key == kWakeKey) {
                std::uint64_t value = 0;
                [[maybe_unused]] const auto read = ::read(wake_.Get(), &value, sizeof value);
                continue;
            }
            const auto it = byKey_.find(key);
            if (it == byKey_.end())
                continue;  // unwatched by an earlier handler of this batch
            const std::shared_ptr<FdHandler> handler = it->second;
            (*handler)(events[i].events);
        }
        RunTasks();
        RunTimers();
    }
    std::lock_guard lock(stateMutex_);
    RunTasks();
}

}  // namespace pl::nb
