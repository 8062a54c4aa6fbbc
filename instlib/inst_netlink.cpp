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

namespace pl::inst {

namespace {

struct Request {
    nlmsghdr header;
    union {
        ifinfomsg link;
        ifaddrmsg address;
    };
};

template <typename Function>
void ForEachAttribute(const rtattr* attribute, int length, Function&& visit)
{
    for (; RTA_OK(attribute, length); attribute = RTA_NEXT(attribute, length))
        visit(attribute);
}

std::string AttributeText(const rtattr* attribute)
{
    const auto* text = static_cast<const char*>(RTA_DATA(attribute));
    return std::string(text, ::strnlen(text, RTA_PAYLOAD(attribute)));
}

// Calls `message` for each message of a dump held in `replies`.
template <typename Function>
void ForEachMessage(const std::vector<std::uint8_t>& replies, Function&& message)
{
    int length = static_cast<int>(replies.size());
    for (auto* header = reinterpret_cast<const nlmsghdr*>(replies.data()); NLMSG_OK(header, length);
         header = NLMSG_NEXT(header, length))
        message(header);
}

void AddLink(const nlmsghdr* header, std::vector<KernelInterface>& interfaces)
{
    if (header->nlmsg_type != RTM_NEWLINK || header->nlmsg_len < NLMSG_LENGTH(sizeof(ifinfomsg)))
        return;
    const auto* info = static_cast<const ifinfomsg*>(NLMSG_DATA(header));
    KernelInterface link;
    link.index = info->ifi_index;
    link.flags = info->ifi_flags;
    ForEachAttribute(IFLA_RTA(info), static_cast<int>(IFLA_PAYLOAD(header)), [&](const rtattr* attribute) {
        if (attribute->rta_type == IFLA_IFNAME)
            link.name = AttributeText(attribute);
        else if (attribute->rta_type == IFLA_IFALIAS)
            link.alias = AttributeText(attribute);
    });
    interfaces.push_back(std::move(link));
}

void AddAddress(const nlmsghdr* header, std::vector<KernelInterface>& interfaces)
{
    if (header->nlmsg_type != RTM_NEWADDR || header->nlmsg_len < NLMSG_LENGTH(sizeof(ifaddrmsg)))
        return;
    const auto* info = static_cast<const ifaddrmsg*>(NLMSG_DATA(header));
    if (info->ifa_family != AF_INET)
        return;
    std::uint32_t address = 0;
    bool found = false;
    ForEachAttribute(IFA_RTA(info), static_cast<int>(IFA_PAYLOAD(header)), [&](const rtattr* attribute) {
        const bool local = attribute->rta_type == IFA_LOCAL;
        if ((local || (attribute->rta_type == IFA_ADDRESS && !found)) && RTA_PAYLOAD(attribute) == 4) {
            std::memcpy(&address, RTA_DATA(attribute), 4);
            found = true;
        }
    });
    for (KernelInterface& link : interfaces)
        if (found && link.index == static_cast<int>(info->ifa_index))
            link.ipv4.push_back(ntohl(address));
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
        int length = static_cast<int>(got);
        for (auto* header = reinterpret_cast<const nlmsghdr*>(buffer.data()); NLMSG_OK(header, length);
             header = NLMSG_NEXT(header, length)) {
            if (header->nlmsg_seq != sequence_)
                continue;
            if (header->nlmsg_type == NLMSG_DONE)
                return 0;
            if (header->nlmsg_type == NLMSG_ERROR) {
                const auto* error = static_cast<const nlmsgerr*>(NLMSG_DATA(header));
                return header->nlmsg_len >= NLMSG_LENGTH(sizeof(nlmsgerr)) ? -error->error : EIO;
            }
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(header);
            const auto size = std::min<std::size_t>(NLMSG_ALIGN(header->nlmsg_len), static_cast<std::size_t>(length));
            replies.insert(replies.end(), bytes, bytes + size);
        }
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
    ForEachMessage(links, [&](const nlmsghdr* header) { AddLink(header, interfaces); });
    ForEachMessage(addresses, [&](const nlmsghdr* header) { AddAddress(header, interfaces); });
    return 0;
}

}  // namespace pl::inst
