#include "instlib/inst_netlink.h"

#include <arpa/inet.h>
#include <linux/if_addr.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <span>

namespace pl::inst {

namespace {

using Bytes = std::span<const std::uint8_t>;

struct Request {
    nlmsghdr header;
    union {
        ifinfomsg link;
        ifaddrmsg address;
    };
};

constexpr std::size_t Align4(std::size_t size)
{
    return (size + 3) & ~std::size_t{3};
}

// Netlink messages and their attributes are walked by offset and copied into
// aligned structures, each length checked against what is left.
template <typename T>
T CopyOut(Bytes bytes)
{
    T value{};
    std::memcpy(&value, bytes.data(), std::min(sizeof value, bytes.size()));
    return value;
}

// Calls visit(header, whole message) for each complete message in `bytes`.
template <typename Function>
void ForEachMessage(Bytes bytes, Function&& visit)
{
    while (bytes.size() >= sizeof(nlmsghdr)) {
        const auto header = CopyOut<nlmsghdr>(bytes);
        if (header.nlmsg_len < sizeof(nlmsghdr) || header.nlmsg_len > bytes.size())
            return;
        visit(header, bytes.first(header.nlmsg_len));
        bytes = bytes.subspan(std::min(Align4(header.nlmsg_len), bytes.size()));
    }
}

// Calls visit(type, payload) for each attribute in `bytes`.
template <typename Function>
void ForEachAttribute(Bytes bytes, Function&& visit)
{
    while (bytes.size() >= sizeof(rtattr)) {
        const auto attribute = CopyOut<rtattr>(bytes);
        if (attribute.rta_len < sizeof(rtattr) || attribute.rta_len > bytes.size())
            return;
        visit(attribute.rta_type, bytes.subspan(sizeof(rtattr), attribute.rta_len - sizeof(rtattr)));
        bytes = bytes.subspan(std::min(Align4(attribute.rta_len), bytes.size()));
    }
}

std::string AttributeText(Bytes payload)
{
    const auto* text = reinterpret_cast<const char*>(payload.data());
    return std::string(text, ::strnlen(text, payload.size()));
}

// The fixed part of a message's body and the attributes after it.
template <typename Body>
bool SplitBody(Bytes message, Body& body, Bytes& attributes)
{
    const std::size_t bodyAt = Align4(sizeof(nlmsghdr));
    if (message.size() < bodyAt + sizeof(Body))
        return false;
    body = CopyOut<Body>(message.subspan(bodyAt));
    attributes = message.subspan(std::min(bodyAt + Align4(sizeof(Body)), message.size()));
    return true;
}

void AddLink(const nlmsghdr& header, Bytes message, std::vector<KernelInterface>& interfaces)
{
    ifinfomsg info{};
    Bytes attributes;
    if (header.nlmsg_type != RTM_NEWLINK || !SplitBody(message, info, attributes))
        return;
    KernelInterface link;
    link.index = info.ifi_index;
    link.flags = info.ifi_flags;
    ForEachAttribute(attributes, [&](unsigned type, Bytes payload) {
        if (type == IFLA_IFNAME)
            link.name = AttributeText(payload);
        else if (type == IFLA_IFALIAS)
            link.alias = AttributeText(payload);
    });
    interfaces.push_back(std::move(link));
}

void AddAddress(const nlmsghdr& header, Bytes message, std::vector<KernelInterface>& interfaces)
{
    ifaddrmsg info{};
    Bytes attributes;
    if (header.nlmsg_type != RTM_NEWADDR || !SplitBody(message, info, attributes) || info.ifa_family != AF_INET)
        return;
    std::optional<std::uint32_t> address;
    ForEachAttribute(attributes, [&](unsigned type, Bytes payload) {
        // IFA_LOCAL is the interface's own address; IFA_ADDRESS may be the
        // peer's on a point-to-point link.
        if ((type == IFA_LOCAL || (type == IFA_ADDRESS && !address)) && payload.size() == 4)
            address = ntohl(CopyOut<std::uint32_t>(payload));
    });
    for (KernelInterface& link : interfaces)
        if (address && link.index == static_cast<int>(info.ifa_index))
            link.ipv4.push_back(*address);
}

}  // namespace

int NetlinkRoute::Open()
{
    Close();
    fd_ = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd_ < 0)
        return errno;
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    if (::bind(fd_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        const int error = errno;
        Close();
        return error;
    }
    return 0;
}

void NetlinkRoute::Close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

int NetlinkRoute::Dump(std::uint16_t type, std::uint8_t family, std::vector<std::uint8_t>& replies)
{
    Request request{};
    request.header.nlmsg_len = NLMSG_LENGTH(type == RTM_GETLINK ? sizeof(ifinfomsg) : sizeof(ifaddrmsg));
    request.header.nlmsg_type = type;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = ++sequence_;
    if (type == RTM_GETLINK)
        request.link.ifi_family = family;
    else
        request.address.ifa_family = family;
    if (::send(fd_, &request, request.header.nlmsg_len, 0) < 0)
        return errno;
    std::vector<std::uint8_t> buffer(std::size_t{32} * 1024);
    for (;;) {
        const ssize_t got = ::recv(fd_, buffer.data(), buffer.size(), 0);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        std::optional<int> result;
        ForEachMessage(Bytes(buffer.data(), static_cast<std::size_t>(got)), [&](const nlmsghdr& header, Bytes message) {
            if (result || header.nlmsg_seq != sequence_)
                return;
            if (header.nlmsg_type == NLMSG_DONE) {
                result = 0;
            } else if (header.nlmsg_type == NLMSG_ERROR) {
                const std::size_t errorAt = Align4(sizeof(nlmsghdr));
                result = message.size() >= errorAt + sizeof(nlmsgerr)
                             ? -CopyOut<nlmsgerr>(message.subspan(errorAt)).error
                             : EIO;
            } else {
                replies.insert(replies.end(), message.begin(), message.end());
                replies.resize(Align4(replies.size()));
            }
        });
        if (result)
            return *result;
    }
}

int NetlinkRoute::List(std::vector<KernelInterface>& interfaces)
{
    interfaces.clear();
    if (fd_ < 0)
        return EBADF;
    std::vector<std::uint8_t> links, addresses;
    int error = Dump(RTM_GETLINK, AF_UNSPEC, links);
    if (error == 0)
        error = Dump(RTM_GETADDR, AF_INET, addresses);
    if (error != 0)
        return error;
    ForEachMessage(links, [&](const nlmsghdr& header, Bytes message) { AddLink(header, message, interfaces); });
    ForEachMessage(addresses, [&](const nlmsghdr& header, Bytes message) { AddAddress(header, message, interfaces); });
    return 0;
}

}  // namespace pl::inst
