#pragma once
// The rtnetlink messages the provider follows the network interfaces with
// (netlink(7), rtnetlink(7)): links (RTM_NEWLINK, RTM_DELLINK) with their flags
// and name, addresses (RTM_NEWADDR, RTM_DELADDR) with the local and broadcast
// IPv4 address, and the end and error messages of a dump. Pure functions from
// the bytes of one netlink datagram to structures and back, every length
// checked before it is used, a reason for every refusal, and a one-line
// printer. Numbers travel in the host's byte order, as the kernel writes them;
// IPv4 addresses are returned in host order like everywhere in the provider.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pl::nb {

inline constexpr std::size_t kRtnlHeaderSize = 16;     // struct nlmsghdr
inline constexpr std::size_t kRtnlLinkSize = 16;       // struct ifinfomsg
inline constexpr std::size_t kRtnlAddressSize = 8;     // struct ifaddrmsg
inline constexpr std::size_t kRtnlMaxNameLength = 15;  // IFNAMSIZ without its NUL

enum class RtnlKind : std::uint8_t { Link, Address, Done, Error, Other };

struct RtnlLink {
    std::int32_t index = 0;
    std::uint32_t flags = 0;  // IFF_UP, IFF_LOOPBACK, IFF_BROADCAST ...
    std::string name;         // empty when the message carries none
};

struct RtnlAddress {
    std::uint8_t family = 0;  // AF_INET for the addresses the provider uses
    std::uint8_t prefixLength = 0;
    std::uint32_t flags = 0;  // IFA_F_*, from IFA_FLAGS when present
    std::uint8_t scope = 0;
    std::int32_t index = 0;
    std::optional<std::uint32_t> local;      // IFA_LOCAL, else IFA_ADDRESS; IPv4 only
    std::optional<std::uint32_t> broadcast;  // IFA_BROADCAST; IPv4 only
    std::string label;                       // IFA_LABEL
};

struct RtnlMessage {
    std::uint16_t type = 0;  // RTM_NEWLINK ... RTM_DELADDR, NLMSG_DONE, NLMSG_ERROR, or another
    std::uint16_t flags = 0;
    std::uint32_t sequence = 0;
    std::uint32_t port = 0;  // nlmsg_pid: the socket the message answers, 0 for events
    RtnlKind kind = RtnlKind::Other;
    RtnlLink link;           // kind Link
    RtnlAddress address;     // kind Address
    std::int32_t error = 0;  // kind Error (0 acknowledges, else a negative errno) and Done

    bool Deletes() const;
};

// Every message of one datagram, in order; nothing and `error` set when any
// part of it is malformed.
std::optional<std::vector<RtnlMessage>> DecodeRtnl(std::span<const std::uint8_t> bytes, std::string* error = nullptr);
// One message as the kernel would send it.
std::vector<std::uint8_t> EncodeRtnl(const RtnlMessage& message);
// A dump request for every link (RTM_GETLINK) or every IPv4 address (RTM_GETADDR).
std::vector<std::uint8_t> EncodeRtnlDumpRequest(std::uint16_t type, std::uint32_t sequence);
std::string DescribeRtnl(const RtnlMessage& message);

}  // namespace pl::nb
