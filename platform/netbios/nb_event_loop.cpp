#include "platform/netbios/nb_event_loop.h"

#include "platform/netbios/nb_spin_policy.h"
#include "platform/netbios/nb_sync_waiter.h"
#include "platform/sync/pl_event.h"

#include <poll.h>
#include <pthread.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>

#include <algorithm>
#include <chrono>
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

// Waits until one of `fds` is ready; polls first for a moment when the
// thread's spin policy says so. The polling keeps the core: yielding it to
// another thread there (a busy machine's) would hold this wait up for that
// thread's whole time slice. The real clock, because this is about the cost of
// a wake-up, not about the provider's timers.
void WaitForReady(pollfd* fds, nfds_t count)
{
    NbSpinPolicy& policy = NbSpinPolicy::ForThisThread();
    const auto start = std::chrono::steady_clock::now();
    bool ready = false;
    if (policy.ShouldSpin()) {
        const auto until = start + NbSpinPolicy::kBudget;
        do
            ready = ::poll(fds, count, 0) != 0;
        while (!ready && std::chrono::steady_clock::now() < until);
    }
    if (!ready)
        ::poll(fds, count, -1);  // EINTR: the caller looks again
    policy.Record(std::chrono::steady_clock::now() - start);
}

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
        pthread_setname_np(pthread_self(), "pl-netbios");  // for top -H, perf and gdb
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
    // A waiter whose request the provider completed on its way down still
    // takes the state once before it leaves.
    std::unique_lock lock(stateMutex_);
    waitersGone_.wait(lock, [this] { return waiters_ == 0; });
}

bool NbEventLoop::InsideLoopCode()
{
    return insideLoopCode > 0;
}

void NbEventLoop::RunExclusive(const std::function<void()>& work)
{
    std::unique_lock lock(stateMutex_);
    {
        const InsideGuard inside;
        RunTasks();
        work();
    }
    EndSection(lock);
}

void NbEventLoop::RunAndWait(const std::function<void()>& work, NbSyncWaiter& waiter)
{
    std::unique_lock lock(stateMutex_);
    ++waiters_;
    {
        const InsideGuard inside;
        RunTasks();
        work();
    }
    while (!waiter.Finished())
        WaitOnce(waiter, lock);
    if (--waiters_ == 0)
        waitersGone_.notify_all();
    EndSection(lock);
}

// One wait of a synchronous request's thread: it releases the state, waits
// for its wake descriptor and the socket lent to it, and runs the socket's
// handler itself when the socket is ready.
void NbEventLoop::WaitOnce(NbSyncWaiter& waiter, std::unique_lock<NbStateMutex>& lock)
{
    pollfd fds[2] = {{waiter.wake_->Get(), POLLIN, 0}, {-1, 0, 0}};
    nfds_t count = 1;
    std::uint64_t key = 0;  // the registration polled; the number may be reused meanwhile
    if (const auto lent = byFd_.find(waiter.lentFd_); lent != byFd_.end() && lent->second.wanted != 0) {
        fds[1] = {lent->first, static_cast<short>(lent->second.wanted), 0};
        count = 2;
        key = lent->second.key;
    }
    waiter.sleeping_ = true;
    EndSection(lock);
    WaitForReady(fds, count);
    if (fds[0].revents != 0)
        waiter.wake_->Drain();
    lock.lock();
    waiter.sleeping_ = false;
    const InsideGuard inside;
    RunTasks();
    // Only for the registration it polled: a socket closed meanwhile reports
    // POLLNVAL, and a new socket under the same number is not ready yet.
    if (count != 2 || (fds[1].revents & ~POLLNVAL) == 0 || waiter.finished_ || waiter.lentFd_ != fds[1].fd)
        return;
    const auto lent = byFd_.find(fds[1].fd);
    if (lent == byFd_.end() || lent->second.key != key)
        return;
    const std::shared_ptr<FdHandler> handler = lent->second.handler;  // it may unwatch
    (*handler)(static_cast<std::uint16_t>(fds[1].revents));
}

void NbEventLoop::EndSection(std::unique_lock<NbStateMutex>& lock)
{
    // A timer due before the loop's own wake-up needs the loop awake.
    if (!timers_.empty() && timers_.begin()->first.first < sleepUntil_)
        Wake();
    Release(lock);
}

void NbEventLoop::Release(std::unique_lock<NbStateMutex>& lock)
{
    ApplyInterest();
    thread_local std::vector<Signal> due;
    thread_local std::vector<UniqueFd> closing;
    due.swap(signals_);
    closing.swap(closing_);
    lock.unlock();
    closing.clear();
    for (const Signal& signal : due) {
        if (signal.event != nullptr)
            signal.event->Set();
        else
            signal.wake->Signal();
    }
    due.clear();
}

void NbEventLoop::CloseAfterUnlock(UniqueFd fd)
{
    closing_.push_back(std::move(fd));
}

void NbEventLoop::SetAfterUnlock(PlEvent* event)
{
    signals_.push_back(Signal{event, nullptr});
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

// The loop wakes for its first timer, or after the longest wait. A timer
// added meanwhile wakes it only when due before that moment (EndSection):
// not when it falls in the rounding up of the wait to whole milliseconds,
// which used to wake the loop at every section in the last millisecond
// before a timer.
int NbEventLoop::PlanWait()
{
    const auto now = clock_->Now();
    const auto longest = now + std::chrono::milliseconds(kLongestWaitMs);
    sleepUntil_ = timers_.empty() ? longest : std::min(timers_.begin()->first.first, longest);
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(sleepUntil_ - now);
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
    std::unique_lock lock(stateMutex_);
    while (!stop_) {
        const int wait = PlanWait();
        Release(lock);
        const int count = epoll_wait(epoll_.Get(), events, kMaxEvents, wait);
        lock.lock();
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
    RunTasks();
    Release(lock);
}

}  // namespace pl::nb
