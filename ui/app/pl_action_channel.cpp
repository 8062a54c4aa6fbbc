#include "ui/app/pl_action_channel.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cstring>

#include "app/core/pl_single_instance.h"
#include "platform/identity/pl_local_user.h"

namespace {

bool AddressOf(const std::string& path, sockaddr_un& address)
{
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

}  // namespace

// A connection that has not yet sent its whole line.
struct PlActionChannel::Peer {
    pl::nb::UniqueFd fd;
    std::unique_ptr<QSocketNotifier> notifier;
    std::string line;
};

PlActionChannel::PlActionChannel() = default;
PlActionChannel::~PlActionChannel() = default;

std::string PlActionChannel::SocketPath()
{
    return PlInstanceLockPath(pl::LocalUserName()) + ".actions";
}

bool PlActionChannel::Listen(std::function<void(PlAction)> handler)
{
    handler_ = std::move(handler);
    sockaddr_un address{};
    const std::string path = SocketPath();
    if (!AddressOf(path, address))
        return false;
    // Only the instance that holds the lock listens, so a socket already there
    // was left by an instance that died.
    ::unlink(path.c_str());
    listener_.Reset(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    const mode_t mask = ::umask(0077);  // the user's own
    const bool bound =
        listener_.Valid() && ::bind(listener_.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::umask(mask);
    if (!bound || ::listen(listener_.Get(), 8) != 0)
        return false;
    notifier_ = std::make_unique<QSocketNotifier>(listener_.Get(), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &PlActionChannel::OnConnection);
    return true;
}

void PlActionChannel::OnConnection()
{
    for (;;) {
        pl::nb::UniqueFd fd(::accept4(listener_.Get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!fd.Valid())
            return;
        const int raw = fd.Get();
        auto peer = std::make_unique<Peer>();
        peer->fd = std::move(fd);
        peer->notifier = std::make_unique<QSocketNotifier>(raw, QSocketNotifier::Read);
        connect(peer->notifier.get(), &QSocketNotifier::activated, this, [this, raw] { OnReadable(raw); });
        peers_[raw] = std::move(peer);
    }
}

void PlActionChannel::OnReadable(int fd)
{
    const auto it = peers_.find(fd);
    if (it == peers_.end())
        return;
    Peer& peer = *it->second;
    char buffer[kMaxActionMessage + 1];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got > 0)
        peer.line.append(buffer, static_cast<std::size_t>(got));
    const bool whole = !peer.line.empty() && peer.line.back() == '\n';
    if (got > 0 && !whole && peer.line.size() <= kMaxActionMessage)
        return;  // more to come
    const std::string line = std::move(peer.line);
    peers_.erase(it);  // one line a connection
    if (const auto action = PlDecodeAction({line.data(), line.size()}))
        handler_(*action);
}

bool PlActionChannel::Send(PlAction action)
{
    sockaddr_un address{};
    if (!AddressOf(SocketPath(), address))
        return false;
    const pl::nb::UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd.Valid() || ::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return false;
    const std::string line = PlEncodeAction(action);
    return ::send(fd.Get(), line.data(), line.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(line.size());
}
