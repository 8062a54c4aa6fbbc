#pragma once
// NbSyncWaiter: how the thread that submitted a synchronous NCB waits for it.
// The thread waits on a wake descriptor of its own (an eventfd, one per
// thread) and, while its request waits for one socket, on that socket too:
// the event loop lends the socket to the waiter (NbEventLoop::Lend), and the
// waiting thread runs the socket's handler itself when it is ready, so that
// the answer it waits for costs no switch to the loop's thread and back.
// Its state belongs to the provider's state: read and written only with the
// state held (NbEventLoop), except the wake descriptor, which any thread may
// signal.

#include "platform/netbios/nb_fd.h"

#include <memory>

namespace pl::nb {

// An eventfd that wakes one thread's poll. Shared, because a signal queued
// under the provider's state is sent after the state is released, when the
// waiter may have left already; a late signal only makes the thread's next
// wait look once more.
class NbWakeFd {
public:
    NbWakeFd();
    NbWakeFd(const NbWakeFd&) = delete;
    NbWakeFd& operator=(const NbWakeFd&) = delete;

    // The calling thread's own descriptor, made on first use (and made again
    // when making it failed before).
    static std::shared_ptr<NbWakeFd> ForThisThread();

    int Get() const { return fd_.Get(); }
    void Signal() const;
    void Drain() const;

private:
    UniqueFd fd_;
};

class NbSyncWaiter {
public:
    NbSyncWaiter() : wake_(NbWakeFd::ForThisThread()) {}
    NbSyncWaiter(const NbSyncWaiter&) = delete;
    NbSyncWaiter& operator=(const NbSyncWaiter&) = delete;

    // False when the thread has no wake descriptor (the process ran out of
    // descriptors): the NCB cannot be waited for.
    bool Usable() const { return wake_->Get() >= 0; }
    // State held: whether the request completed.
    bool Finished() const { return finished_; }

private:
    friend class NbEventLoop;

    std::shared_ptr<NbWakeFd> wake_;
    bool finished_ = false;
    bool sleeping_ = false;  // in poll, with the state released
    int lentFd_ = -1;        // the socket lent to this waiter, or -1
};

}  // namespace pl::nb
