#pragma once
// NbWatchedSocket: a socket of the provider that its event loop may watch.
// The owner starts the watch (NbEventLoop::Watch); Close, Release and the
// destructor end it, so no handler outlives the object that owns it. Loop
// code only, with the provider's state held (NbEventLoop::Unwatch).

#include "platform/netbios/nb_event_loop.h"
#include "platform/netbios/nb_fd.h"

#include <utility>

namespace pl::nb {

class NbWatchedSocket {
public:
    NbWatchedSocket(NbEventLoop& loop, UniqueFd fd) : loop_(loop), fd_(std::move(fd)) {}
    NbWatchedSocket(const NbWatchedSocket&) = delete;
    NbWatchedSocket& operator=(const NbWatchedSocket&) = delete;
    ~NbWatchedSocket() { Close(); }

    int Get() const { return fd_.Get(); }
    bool Valid() const { return fd_.Valid(); }
    void Close()
    {
        if (fd_.Valid())
            loop_.Unwatch(fd_.Get());
        fd_.Reset();
    }
    void Adopt(UniqueFd fd)
    {
        Close();
        fd_ = std::move(fd);
    }
    UniqueFd Release()
    {
        if (fd_.Valid())
            loop_.Unwatch(fd_.Get());
        return std::move(fd_);
    }

private:
    NbEventLoop& loop_;
    UniqueFd fd_;
};

}  // namespace pl::nb
