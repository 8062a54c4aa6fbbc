#include "platform/netbios/nb_rtnl_codec.h"

#include "platform/netbios/netbt_config.h"

#include <linux/if_addr.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>

namespace pl::nb {

namespace {

constexpr std::size_t kAttributeHeaderSize = 4;  // struct rtattr
constexpr std::size_t kIpv4Size = 4;

std::size_t Align(std::size_t length)
{
    return (length + 3) & ~std::size_t{3};
}

template <typename T>
T Native(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    T value{};
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

template <typename T>
void PutNative(std::vector<std::uint8_t>& out, T value)
{
    std::uint8_t raw[sizeof value];
    std::memcpy(raw, &value, sizeof value);
    out.insert(out.end(), raw, raw + sizeof value);
}

// Network-order IPv4 bytes to a host-order number.
std::uint32_t Ipv4(std::span<const std::uint8_t> bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
           static_cast<std::uint32_t>(bytes[2]) << 8 | bytes[3];
}

struct Attribute {
    std::uint16_t type;
    std::span<const std::uint8_t> value;
};

// Cuts the attributes of one message; false and `error` set when one overruns.
bool Attributes(std::span<const std::uint8_t> area, std::vector<Attribute>& out, std::string& error)
{
    std::size_t offset = 0;
    while (offset < area.size()) {
        if (area.size() - offset < kAttributeHeaderSize)
            return error = "truncated attribute header", false;
        const auto length = Native<std::uint16_t>(area, offset);
        const auto type = Native<std::uint16_t>(area, offset + 2);
        if (length < kAttributeHeaderSize)
            return error = "attribute length " + std::to_string(length) + " below its header", false;
        if (length > area.size() - offset)
            return error = "attribute length " + std::to_string(length) + " beyond its message", false;
        out.push_back(Attribute{static_cast<std::uint16_t>(type & NLA_TYPE_MASK),
                                area.subspan(offset + kAttributeHeaderSize, length - kAttributeHeaderSize)});
        offset += std::min(Align(length), area.size() - offset);
    }
    return true;
}

// A NUL-terminated name of at most 15 bytes.
bool Name(std::span<const std::uint8_t> value, std::string& name, std::string& error)
{
    const auto* end = static_cast<const std::uint8_t*>(std::memchr(value.data(), 0, value.size()));
    if (end == nullptr)
        return error = "name without its terminating NUL", false;
    const auto length = static_cast<std::size_t>(end - value.data());
    if (length > kRtnlMaxNameLength)
        return error = "name of " + std::to_string(length) + " bytes", false;
    name.assign(reinterpret_cast<const char*>(value.data()), length);
    return true;
}

bool DecodeLink(std::span<const std::uint8_t> body, RtnlLink& link, std::string& error)
{
    if (body.size() < kRtnlLinkSize)
        return error = "link message without its 16-byte header", false;
    link.index = Native<std::int32_t>(body, 4);
    link.flags = Native<std::uint32_t>(body, 8);
    std::vector<Attribute> attributes;
    if (!Attributes(body.subspan(kRtnlLinkSize), attributes, error))
        return false;
    for (const Attribute& attribute : attributes)
        if (attribute.type == IFLA_IFNAME && !Name(attribute.value, link.name, error))
            return error.insert(0, "interface "), false;
    return true;
}

bool Ipv4Attribute(const Attribute& attribute, std::optional<std::uint32_t>& out, std::string& error)
{
    if (attribute.value.size() != kIpv4Size)
        return error = "IPv4 address attribute of " + std::to_string(attribute.value.size()) + " bytes", false;
    out = Ipv4(attribute.value);
    return true;
}

bool DecodeAddress(std::span<const std::uint8_t> body, RtnlAddress& address, std::string& error)
{
    if (body.size() < kRtnlAddressSize)
        return error = "address message without its 8-byte header", false;
    address.family = body[0];
    address.prefixLength = body[1];
    address.flags = body[2];
    address.scope = body[3];
    address.index = Native<std::int32_t>(body, 4);
    std::vector<Attribute> attributes;
    if (!Attributes(body.subspan(kRtnlAddressSize), attributes, error))
        return false;
    std::optional<std::uint32_t> peer;
    for (const Attribute& attribute : attributes) {
        const bool ipv4 = address.family == AF_INET;
        bool good = true;
        if (attribute.type == IFA_ADDRESS && ipv4)
            good = Ipv4Attribute(attribute, peer, error);
        else if (attribute.type == IFA_LOCAL && ipv4)
            good = Ipv4Attribute(attribute, address.local, error);
        else if (attribute.type == IFA_BROADCAST && ipv4)
            good = Ipv4Attribute(attribute, address.broadcast, error);
        else if (attribute.type == IFA_LABEL && !Name(attribute.value, address.label, error))
            return error.insert(0, "address label "), false;
        else if (attribute.type == IFA_FLAGS && attribute.value.size() == sizeof(std::uint32_t))
            address.flags = Native<std::uint32_t>(attribute.value, 0);
        else if (attribute.type == IFA_FLAGS)
            return error = "address flags of " + std::to_string(attribute.value.size()) + " bytes", false;
        if (!good)
            return false;
    }
    if (!address.local)
        address.local = peer;  // without IFA_LOCAL the address is the local one
    return true;
}

bool DecodeBody(std::span<const std::uint8_t> body, RtnlMessage& message, std::string& error)
{
    switch (message.type) {
    case RTM_NEWLINK:
    case RTM_DELLINK: message.kind = RtnlKind::Link; return DecodeLink(body, message.link, error);
    case RTM_NEWADDR:
    case RTM_DELADDR: message.kind = RtnlKind::Address; return DecodeAddress(body, message.address, error);
    case NLMSG_ERROR:
        message.kind = RtnlKind::Error;
        if (body.size() < sizeof(std::int32_t))
            return error = "error message without its code", false;
        message.error = Native<std::int32_t>(body, 0);
        return true;
    case NLMSG_DONE:
        message.kind = RtnlKind::Done;
        if (body.size() >= sizeof(std::int32_t))
            message.error = Native<std::int32_t>(body, 0);
        return true;
    default: message.kind = RtnlKind::Other; return true;
    }
}

void PutAttribute(std::vector<std::uint8_t>& out, std::uint16_t type, std::span<const std::uint8_t> value)
{
    PutNative(out, static_cast<std::uint16_t>(kAttributeHeaderSize + value.size()));
    PutNative(out, type);
    out.insert(out.end(), value.begin(), value.end());
    out.resize(Align(out.size()), 0);
}

void PutIpv4Attribute(std::vector<std::uint8_t>& out, std::uint16_t type, std::uint32_t address)
{
    const std::uint8_t bytes[kIpv4Size]{static_cast<std::uint8_t>(address >> 24),
                                        static_cast<std::uint8_t>(address >> 16),
                                        static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
    PutAttribute(out, type, bytes);
}

void PutNameAttribute(std::vector<std::uint8_t>& out, std::uint16_t type, const std::string& name)
{
    std::vector<std::uint8_t> value(name.begin(), name.end());
    value.push_back(0);
    PutAttribute(out, type, value);
}

void EncodeBody(const RtnlMessage& message, std::vector<std::uint8_t>& out)
{
    if (message.kind == RtnlKind::Link) {
        PutNative(out, std::uint16_t{AF_UNSPEC});  // family and padding
        PutNative(out, std::uint16_t{0});          // device type
        PutNative(out, message.link.index);
        PutNative(out, message.link.flags);
        PutNative(out, std::uint32_t{0});  // change mask
        if (!message.link.name.empty())
            PutNameAttribute(out, IFLA_IFNAME, message.link.name);
    } else if (message.kind == RtnlKind::Address) {
        const RtnlAddress& address = message.address;
        out.push_back(address.family);
        out.push_back(address.prefixLength);
        out.push_back(static_cast<std::uint8_t>(address.flags));
        out.push_back(address.scope);
        PutNative(out, address.index);
        if (address.local) {
            PutIpv4Attribute(out, IFA_ADDRESS, *address.local);
            PutIpv4Attribute(out, IFA_LOCAL, *address.local);
        }
        if (address.broadcast)
            PutIpv4Attribute(out, IFA_BROADCAST, *address.broadcast);
        if (!address.label.empty())
            PutNameAttribute(out, IFA_LABEL, address.label);
        std::uint8_t flags[sizeof(std::uint32_t)];
        std::memcpy(flags, &address.flags, sizeof flags);
        PutAttribute(out, IFA_FLAGS, flags);
    } else if (message.kind == RtnlKind::Error || message.kind == RtnlKind::Done) {
        PutNative(out, message.error);
        if (message.kind == RtnlKind::Error)
            out.resize(out.size() + kRtnlHeaderSize, 0);  // the request it answers
    }
}

std::string LinkFlagsText(std::uint32_t flags)
{
    std::string text;
    for (const auto& [bit, name] : {std::pair{IFF_UP, "up"}, std::pair{IFF_LOOPBACK, "loopback"},
                                    std::pair{IFF_BROADCAST, "broadcast"}, std::pair{IFF_RUNNING, "running"}})
        if ((flags & static_cast<std::uint32_t>(bit)) != 0)
            text += (text.empty() ? "" : ",") + std::string(name);
    return text.empty() ? "down" : text;
}

const char* TypeText(std::uint16_t type)
{
    switch (type) {
    case RTM_NEWLINK: return "new link";
    case RTM_DELLINK: return "deleted link";
    case RTM_NEWADDR: return "new address";
    case RTM_DELADDR: return "deleted address";
    case NLMSG_DONE: return "done";
    case NLMSG_ERROR: return "error";
    default: return "netlink type";
    }
}

// The message at the start of `bytes`: its length, or 0 and `reason` set.
std::size_t DecodeOne(std::span<const std::uint8_t> bytes, RtnlMessage& message, std::string& reason)
{
    if (bytes.size() < kRtnlHeaderSize)
        return reason = "truncated netlink header", 0;
    const auto length = Native<std::uint32_t>(bytes, 0);
    if (length < kRtnlHeaderSize)
        return reason = "netlink length " + std::to_string(length) + " below its header", 0;
    if (length > bytes.size())
        return reason = "netlink length " + std::to_string(length) + " beyond the datagram's " +
                        std::to_string(bytes.size()) + " bytes",
               0;
    message.type = Native<std::uint16_t>(bytes, 4);
    message.flags = Native<std::uint16_t>(bytes, 6);
    message.sequence = Native<std::uint32_t>(bytes, 8);
    message.port = Native<std::uint32_t>(bytes, 12);
    if (!DecodeBody(bytes.subspan(kRtnlHeaderSize, length - kRtnlHeaderSize), message, reason))
        return reason.insert(0, std::string(TypeText(message.type)) + ": "), 0;
    return length;
}

}  // namespace

bool RtnlMessage::Deletes() const
{
    return type == RTM_DELLINK || type == RTM_DELADDR;
}

std::optional<std::vector<RtnlMessage>> DecodeRtnl(std::span<const std::uint8_t> bytes, std::string* error)
{
    std::vector<RtnlMessage> messages;
    std::size_t offset = 0;
    while (offset < bytes.size()) {
        RtnlMessage message;
        std::string reason;
        const std::size_t length = DecodeOne(bytes.subspan(offset), message, reason);
        if (length == 0) {
            if (error != nullptr)
                *error = reason;
            return std::nullopt;
        }
        messages.push_back(std::move(message));
        offset += std::min(Align(length), bytes.size() - offset);
    }
    return messages;
}

std::vector<std::uint8_t> EncodeRtnl(const RtnlMessage& message)
{
    std::vector<std::uint8_t> body;
    EncodeBody(message, body);
    // The header is copied into a vector of the final size: GCC 12 at -O3
    // takes appending the fields to an empty vector for an overflow
    // (-Wstringop-overflow). The length field has 32 bits; nothing encodes
    // a body near that.
    const auto length =
        static_cast<std::uint32_t>(kRtnlHeaderSize + std::min<std::size_t>(body.size(), UINT32_MAX - kRtnlHeaderSize));
    nlmsghdr header{};
    static_assert(sizeof header == kRtnlHeaderSize);
    header.nlmsg_len = length;
    header.nlmsg_type = message.type;
    header.nlmsg_flags = message.flags;
    header.nlmsg_seq = message.sequence;
    header.nlmsg_pid = message.port;
    std::vector<std::uint8_t> out(length);
    std::memcpy(out.data(), &header, sizeof header);
    std::copy_n(body.begin(), length - kRtnlHeaderSize, out.begin() + kRtnlHeaderSize);
    return out;
}

std::vector<std::uint8_t> EncodeRtnlDumpRequest(std::uint16_t type, std::uint32_t sequence)
{
    RtnlMessage request;
    request.type = type;
    request.flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.sequence = sequence;
    std::vector<std::uint8_t> out = EncodeRtnl(request);
    // The family to list: every link, IPv4 addresses only.
    const std::size_t bodySize = type == RTM_GETADDR ? kRtnlAddressSize : kRtnlLinkSize;
    out.resize(kRtnlHeaderSize + bodySize, 0);
    out[kRtnlHeaderSize] = type == RTM_GETADDR ? AF_INET : AF_UNSPEC;
    const auto length = static_cast<std::uint32_t>(out.size());
    std::memcpy(out.data(), &length, sizeof length);
    return out;
}

std::string DescribeRtnl(const RtnlMessage& message)
{
    std::string line = std::string("RTNL ") + TypeText(message.type);
    switch (message.kind) {
    case RtnlKind::Link:
        return line + " #" + std::to_string(message.link.index) + " " +
               (message.link.name.empty() ? "?" : message.link.name) + " " + LinkFlagsText(message.link.flags);
    case RtnlKind::Address: {
        const RtnlAddress& address = message.address;
        line += " #" + std::to_string(address.index);
        if (address.local)
            line += " " + Ipv4Text(*address.local) + "/" + std::to_string(address.prefixLength);
        else
            line += " family " + std::to_string(address.family);
        if (address.broadcast)
            line += " brd " + Ipv4Text(*address.broadcast);
        if ((address.flags & IFA_F_SECONDARY) != 0)
            line += " secondary";
        return address.label.empty() ? line : line + " " + address.label;
    }
    case RtnlKind::Error:
    case RtnlKind::Done: return line + " " + std::to_string(message.error) + " seq=" + std::to_string(message.sequence);
    case RtnlKind::Other: return line + " " + std::to_string(message.type);
    }
    return line;
}

}  // namespace pl::nb
