// NbEventLoop: the sockets it watches, the changes to epoll it applies when
// the state is released, and the sockets it lends to waiting threads.

#include "platform/netbios/nb_event_loop.h"

#include "platform/netbios/nb_sync_waiter.h"

#include <sys/epoll.h>

namespace pl::nb {

void NbEventLoop::Watch(int fd, std::uint32_t events, FdHandler handler)
{
    Unwatch(fd);
    const std::uint64_t key = nextKey_++;
    auto shared = std::make_shared<FdHandler>(std::move(handler));
    byKey_[key] = shared;
    Watched& watched = byFd_[fd];
    watched.key = key;
    watched.handler = std::move(shared);
    watched.wanted = events;
    MarkDirty(fd, watched);
}

void NbEventLoop::Modify(int fd, std::uint32_t events)
{
    const auto it = byFd_.find(fd);
    if (it == byFd_.end() || it->second.wanted == events)
        return;
    it->second.wanted = events;
    MarkDirty(fd, it->second);
    if (it->second.lentTo != nullptr)
        WakeWaiter(*it->second.lentTo);  // it waits for the old events
}

void NbEventLoop::Unwatch(int fd)
{
    const auto it = byFd_.find(fd);
    if (it == byFd_.end())
        return;
    if (it->second.applied != 0)
        epoll_ctl(epoll_.Get(), EPOLL_CTL_DEL, fd, nullptr);
    if (NbSyncWaiter* waiter = it->second.lentTo) {
        waiter->lentFd_ = -1;
        WakeWaiter(*waiter);
    }
    byKey_.erase(it->second.key);
    byFd_.erase(it);
}

void NbEventLoop::Lend(int fd, NbSyncWaiter& waiter)
{
    const auto it = byFd_.find(fd);
    if (it == byFd_.end() || it->second.lentTo != nullptr || waiter.finished_)
        return;
    ReturnLend(waiter);
    it->second.lentTo = &waiter;
    waiter.lentFd_ = fd;
    MarkDirty(fd, it->second);
    WakeWaiter(waiter);
}

void NbEventLoop::Finish(NbSyncWaiter& waiter)
{
    waiter.finished_ = true;
    ReturnLend(waiter);
    WakeWaiter(waiter);
}

void NbEventLoop::ReturnLend(NbSyncWaiter& waiter)
{
    if (const auto it = byFd_.find(waiter.lentFd_); it != byFd_.end() && it->second.lentTo == &waiter) {
        it->second.lentTo = nullptr;
        MarkDirty(it->first, it->second);
    }
    waiter.lentFd_ = -1;
}

// A waiter that is not in poll (it runs loop code now, or has not released
// the state yet) looks at its state before it waits again.
void NbEventLoop::WakeWaiter(NbSyncWaiter& waiter)
{
    if (waiter.sleeping_)
        signals_.push_back(Signal{nullptr, waiter.wake_});
}

void NbEventLoop::MarkDirty(int fd, Watched& watched)
{
    if (watched.dirty)
        return;
    watched.dirty = true;
    dirty_.push_back(fd);
}

// A socket is registered with epoll only while it wants events and is not
// lent: epoll reports errors and hang-ups even without interest, which would
// wake the loop again and again for a socket that another thread serves.
void NbEventLoop::ApplyInterest()
{
    for (const int fd : dirty_) {
        const auto it = byFd_.find(fd);
        if (it == byFd_.end() || !it->second.dirty)
            continue;
        Watched& watched = it->second;
        watched.dirty = false;
        const std::uint32_t effective = watched.lentTo != nullptr ? 0 : watched.wanted;
        if (effective == watched.applied)
            continue;
        epoll_event event{};
        event.events = effective;
        event.data.u64 = watched.key;
        const int operation = watched.applied == 0 ? EPOLL_CTL_ADD : effective == 0 ? EPOLL_CTL_DEL : EPOLL_CTL_MOD;
        if (epoll_ctl(epoll_.Get(), operation, fd, &event) == 0 || operation == EPOLL_CTL_DEL)
            watched.applied = effective;
    }
    dirty_.clear();
}

}  // namespace pl::nb
