#include "platform/netbios/nb_socket.h"

#include "platform/netbios/netbt_config.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace pl::nb {

namespace {

sockaddr_in MakeAddress(std::uint32_t address, std::uint16_t port)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(address);
    sa.sin_port = htons(port);
    return sa;
}

UniqueFd OpenBound(int type, std::uint32_t address, std::uint16_t port)
{
    UniqueFd fd(::socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd.Valid())
        throw PlNetbiosSocketErr(std::string("cannot create a socket: ") + std::strerror(errno));
    const int one = 1;
    setsockopt(fd.Get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    const sockaddr_in sa = MakeAddress(address, port);
    if (::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0)
        throw PlNetbiosSocketErr("cannot bind " + Ipv4Text(address) + ":" + std::to_string(port) + ": " +
                                 std::strerror(errno));
    return fd;
}

}  // namespace

UniqueFd OpenUdp(std::uint32_t address, std::uint16_t port, bool broadcast)
{
    UniqueFd fd = OpenBound(SOCK_DGRAM, address, port);
    if (broadcast) {
        const int one = 1;
        setsockopt(fd.Get(), SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
    }
    return fd;
}

UniqueFd OpenTcpListener(std::uint32_t address, std::uint16_t port)
{
    UniqueFd fd = OpenBound(SOCK_STREAM, address, port);
    if (::listen(fd.Get(), 64) != 0)
        throw PlNetbiosSocketErr("cannot listen on " + Ipv4Text(address) + ":" + std::to_string(port) + ": " +
                                 std::strerror(errno));
    // A caller speaks first (its session request): the connection is handed
    // to us with that request, in one wake-up instead of one for the
    // connection and one for the request, and a connection that never says
    // anything stays with the kernel.
    const int requestSeconds = 5;
    setsockopt(fd.Get(), IPPROTO_TCP, TCP_DEFER_ACCEPT, &requestSeconds, sizeof requestSeconds);
    // Sessions it accepts inherit it: small messages go out at once.
    const int one = 1;
    setsockopt(fd.Get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

bool StartTcpConnect(UniqueFd& fd, std::uint32_t local, std::uint32_t address, std::uint16_t port)
{
    fd.Reset(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd.Valid())
        return false;
    const int one = 1;
    setsockopt(fd.Get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    // The port is chosen at connect, for the pair of addresses: many short
    // sessions in a row do not run out of ports held in TIME_WAIT.
    setsockopt(fd.Get(), IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &one, sizeof one);
    const sockaddr_in from = MakeAddress(local, 0);
    if (::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&from), sizeof from) != 0)
        return false;
    const sockaddr_in to = MakeAddress(address, port);
    return ::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0 || errno == EINPROGRESS;
}

void SendUdp(int fd, std::span<const std::uint8_t> bytes, std::uint32_t address, std::uint16_t port)
{
    const sockaddr_in to = MakeAddress(address, port);
    // UDP is unreliable by nature: a send that fails is a lost packet, which
    // the protocol's retries already cover.
    [[maybe_unused]] const auto sent =
        ::sendto(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

void ReceiveUdpEach(int fd, const UdpHandler& handle)
{
    std::uint8_t buffer[2048];
    for (;;) {
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        const ssize_t size = ::recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (size < 0)
            return;
        handle({buffer, static_cast<std::size_t>(size)}, ntohl(from.sin_addr.s_addr), ntohs(from.sin_port));
    }
}

}  // namespace pl::nb
