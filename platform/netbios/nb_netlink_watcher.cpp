#include "platform/netbios/nb_netlink_watcher.h"

#include "platform/netbios/nb_socket.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <thread>

namespace pl::nb {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
constexpr int kReceiveBufferSize = 1 << 20;

PlNetbiosSocketErr SystemError(const std::string& what)
{
    return PlNetbiosSocketErr(what + ": " + std::strerror(errno));
}

}  // namespace

NbNetlinkWatcher::NbNetlinkWatcher(NbCounters& counters) : counters_(counters), buffer_(kBufferSize)
{
    fd_.Reset(::socket(AF_NETLINK, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, NETLINK_ROUTE));
    if (!fd_.Valid())
        throw SystemError("cannot open an rtnetlink socket");
    // A larger queue makes an overflow (and the listing afresh it causes) rare.
    setsockopt(fd_.Get(), SOL_SOCKET, SO_RCVBUF, &kReceiveBufferSize, sizeof kReceiveBufferSize);
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    local.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR;
    if (::bind(fd_.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0)
        throw SystemError("cannot follow the network interfaces over rtnetlink");
    // The first listing, before the loop runs: the provider opens its first
    // adapters from it.
    Relist();
    const auto deadline = std::chrono::steady_clock::now() + kListingLimit;
    while (phase_ != Phase::Idle) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            throw PlNetbiosSocketErr("the kernel did not list the network interfaces");
        if (phase_ == Phase::Waiting) {
            std::this_thread::sleep_for(kRetryDelay);
            Relist();
            continue;
        }
        pollfd ready{fd_.Get(), POLLIN, 0};
        ::poll(&ready, 1, static_cast<int>(left.count()));
        ReadAll();
    }
    dirty_ = false;
}

NbNetlinkWatcher::~NbNetlinkWatcher()
{
    if (loop_ != nullptr)
        loop_->CancelTimer(retryTimer_);
}

void NbNetlinkWatcher::Start(NbEventLoop& loop, ChangeHandler changed)
{
    loop_ = &loop;
    changed_ = std::move(changed);
    socket_ = std::make_unique<NbWatchedSocket>(loop, std::move(fd_));
    loop.Watch(socket_->Get(), EPOLLIN, [this](std::uint32_t) { OnReadable(); });
}

int NbNetlinkWatcher::Fd() const
{
    return socket_ ? socket_->Get() : fd_.Get();
}

void NbNetlinkWatcher::OnReadable()
{
    ReadAll();
    if (phase_ == Phase::Idle && dirty_) {
        dirty_ = false;
        changed_();
    }
}

void NbNetlinkWatcher::ReadAll()
{
    for (;;) {
        sockaddr_nl from{};
        socklen_t fromLength = sizeof from;
        const ssize_t size = ::recvfrom(Fd(), buffer_.data(), buffer_.size(), MSG_TRUNC,
                                        reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (size < 0 && errno == EINTR)
            continue;
        if (size < 0 && errno == ENOBUFS) {  // the kernel dropped messages: what we hold may be stale
            ++counters_.interfaceRelistings;
            Relist();
            continue;
        }
        if (size < 0)
            return;  // everything waiting was read
        if (from.nl_pid != 0)
            continue;  // only the kernel speaks for the interfaces
        if (static_cast<std::size_t>(size) > buffer_.size()) {
            ++counters_.malformedPackets;
            ++counters_.interfaceRelistings;
            Relist();
            continue;
        }
        Handle({buffer_.data(), static_cast<std::size_t>(size)});
    }
}

void NbNetlinkWatcher::Handle(std::span<const std::uint8_t> datagram)
{
    const auto messages = DecodeRtnl(datagram);
    if (!messages) {
        ++counters_.malformedPackets;
        ++counters_.interfaceRelistings;
        return Relist();
    }
    for (const RtnlMessage& message : *messages) {
        if (message.sequence == sequence_ && (message.flags & NLM_F_DUMP_INTR) != 0)
            interrupted_ = true;
        if (message.kind == RtnlKind::Done || message.kind == RtnlKind::Error)
            HandleDumpEnd(message);
        else if (snapshot_.Apply(message))
            dirty_ = true;
    }
}

// The end of a listing, or its failure (another listing still running on the
// socket answers EBUSY): the next part, done, or a new try.
void NbNetlinkWatcher::HandleDumpEnd(const RtnlMessage& message)
{
    if (message.sequence != sequence_ || (phase_ != Phase::Links && phase_ != Phase::Addresses))
        return;  // the end of a listing given up
    if (message.kind == RtnlKind::Error || message.error < 0)
        return RetryLater();
    if (phase_ == Phase::Links) {
        phase_ = Phase::Addresses;
        return Request(RTM_GETADDR);
    }
    if (interrupted_)  // the kernel's tables changed while it listed them
        return Relist();
    phase_ = Phase::Idle;
    dirty_ = true;
}

void NbNetlinkWatcher::Relist()
{
    snapshot_.Clear();
    interrupted_ = false;
    phase_ = Phase::Links;
    Request(RTM_GETLINK);
}

void NbNetlinkWatcher::Request(std::uint16_t type)
{
    const auto request = EncodeRtnlDumpRequest(type, ++sequence_);
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    if (::sendto(Fd(), request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&kernel), sizeof kernel) <
        0)
        RetryLater();
}

void NbNetlinkWatcher::RetryLater()
{
    phase_ = Phase::Waiting;
    if (loop_ == nullptr || retryTimer_ != 0)
        return;  // the constructor retries by itself
    retryTimer_ = loop_->After(kRetryDelay, [this] {
        retryTimer_ = 0;
        Relist();
    });
}

}  // namespace pl::nb
