#include "platform/netbios/nb_interfaces.h"

#include <linux/if_addr.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>

#include <algorithm>

namespace pl::nb {

namespace {

bool IsUp(const NbInterfaceSnapshot::Link& link)
{
    return (link.flags & IFF_UP) != 0;
}

bool IsLoopbackAddress(std::uint32_t address)
{
    return (address >> 24) == 127;
}

NbInterface Make(const std::string& name, const NbInterfaceSnapshot::Link& link,
                 const NbInterfaceSnapshot::Address& address)
{
    NbInterface entry{name, address.local, std::nullopt};
    if ((link.flags & IFF_BROADCAST) != 0 && (link.flags & IFF_LOOPBACK) == 0)
        entry.broadcast = address.broadcast;
    return entry;
}

const NbInterfaceSnapshot::Link* UpLink(const NbInterfaceSnapshot& snapshot, std::int32_t index)
{
    const auto it = snapshot.Links().find(index);
    return it != snapshot.Links().end() && IsUp(it->second) ? &it->second : nullptr;
}

std::optional<NbInterface> ByAddress(const NbInterfaceSnapshot& snapshot, const std::string& text, std::uint32_t wanted)
{
    if (IsLoopbackAddress(wanted))  // the loopback test hosts: always there
        return NbInterface{text, wanted, std::nullopt};
    for (const auto& address : snapshot.Addresses())
        if (address.local == wanted)
            if (const auto* link = UpLink(snapshot, address.index))
                return Make(text, *link, address);
    return std::nullopt;
}

// The primary address of the named interface when it is up.
std::optional<NbInterface> ByName(const NbInterfaceSnapshot& snapshot, const std::string& name)
{
    for (const auto& [index, link] : snapshot.Links()) {
        if (link.name != name || !IsUp(link))
            continue;
        const NbInterfaceSnapshot::Address* chosen = nullptr;
        for (const auto& address : snapshot.Addresses())
            if (address.index == index && (chosen == nullptr || (chosen->secondary && !address.secondary)))
                chosen = &address;
        if (chosen != nullptr)
            return Make(name, link, *chosen);
    }
    return std::nullopt;
}

}  // namespace

bool NbInterfaceSnapshot::Apply(const RtnlMessage& message)
{
    if (message.kind == RtnlKind::Link) {
        const RtnlLink& link = message.link;
        if (message.Deletes()) {
            const bool known = links_.contains(link.index);
            RemoveLink(link.index);
            return known;
        }
        Link next{link.name, link.flags};
        if (const auto it = links_.find(link.index); it != links_.end()) {
            if (next.name.empty())
                next.name = it->second.name;
            if (it->second.name == next.name && it->second.flags == next.flags)
                return false;
        }
        SetLink(link.index, next);
        return true;
    }
    if (message.kind != RtnlKind::Address || message.address.family != AF_INET || !message.address.local)
        return false;
    const RtnlAddress& address = message.address;
    const std::size_t before = addresses_.size();
    if (message.Deletes()) {
        RemoveAddress(address.index, *address.local, address.prefixLength);
        return addresses_.size() != before;
    }
    const Address next{address.index, *address.local, address.prefixLength, address.broadcast,
                       (address.flags & IFA_F_SECONDARY) != 0};
    const auto same = [&](const Address& a) {
        return a.index == next.index && a.local == next.local && a.prefixLength == next.prefixLength &&
               a.broadcast == next.broadcast && a.secondary == next.secondary;
    };
    if (std::ranges::any_of(addresses_, same))
        return false;
    SetAddress(next);
    return true;
}

void NbInterfaceSnapshot::Clear()
{
    links_.clear();
    addresses_.clear();
}

void NbInterfaceSnapshot::SetLink(std::int32_t index, Link link)
{
    links_[index] = std::move(link);
}

void NbInterfaceSnapshot::RemoveLink(std::int32_t index)
{
    links_.erase(index);
    std::erase_if(addresses_, [index](const Address& a) { return a.index == index; });
}

void NbInterfaceSnapshot::SetAddress(const Address& address)
{
    const auto it = std::ranges::find_if(addresses_, [&](const Address& a) {
        return a.index == address.index && a.local == address.local && a.prefixLength == address.prefixLength;
    });
    if (it != addresses_.end())
        *it = address;
    else
        addresses_.push_back(address);
}

void NbInterfaceSnapshot::RemoveAddress(std::int32_t index, std::uint32_t local, std::uint8_t prefixLength)
{
    std::erase_if(addresses_, [&](const Address& a) {
        return a.index == index && a.local == local && a.prefixLength == prefixLength;
    });
}

std::vector<NbInterface> SelectInterfaces(const NetbtConfig& config, const NbInterfaceSnapshot& snapshot)
{
    std::vector<NbInterface> result;
    const auto keep = [&result](std::optional<NbInterface> entry) {
        if (entry && std::ranges::find(result, *entry) == result.end())
            result.push_back(std::move(*entry));
    };
    if (config.interfaces.empty()) {
        for (const auto& [index, link] : snapshot.Links()) {
            if (!IsUp(link) || (link.flags & IFF_LOOPBACK) != 0)
                continue;
            for (const auto& address : snapshot.Addresses())
                if (address.index == index)
                    keep(Make(link.name, link, address));
        }
        return result;
    }
    for (const std::string& wanted : config.interfaces) {
        if (const auto address = ParseIpv4(wanted))
            keep(ByAddress(snapshot, wanted, *address));
        else
            keep(ByName(snapshot, wanted));
    }
    return result;
}

}  // namespace pl::nb
