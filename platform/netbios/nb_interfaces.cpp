#include "platform/netbios/nb_interfaces.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>

#include <memory>

namespace pl::nb {

namespace {

struct IfaddrsDeleter {
    void operator()(ifaddrs* list) const { freeifaddrs(list); }
};

std::vector<NbInterface> SystemInterfaces()
{
    ifaddrs* raw = nullptr;
    if (getifaddrs(&raw) != 0)
        throw PlNetbtConfigErr("cannot list the network interfaces");
    const std::unique_ptr<ifaddrs, IfaddrsDeleter> list(raw);
    std::vector<NbInterface> result;
    for (const ifaddrs* it = list.get(); it != nullptr; it = it->ifa_next) {
        if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_INET || (it->ifa_flags & IFF_UP) == 0)
            continue;
        NbInterface entry;
        entry.name = it->ifa_name;
        entry.address = ntohl(reinterpret_cast<const sockaddr_in*>(it->ifa_addr)->sin_addr.s_addr);
        if ((it->ifa_flags & IFF_LOOPBACK) != 0)
            entry.name = "lo:" + entry.name;
        else if ((it->ifa_flags & IFF_BROADCAST) != 0 && it->ifa_broadaddr != nullptr)
            entry.broadcast = ntohl(reinterpret_cast<const sockaddr_in*>(it->ifa_broadaddr)->sin_addr.s_addr);
        result.push_back(entry);
    }
    return result;
}

bool IsLoopbackName(const std::string& name)
{
    return name.rfind("lo:", 0) == 0;
}

}  // namespace

std::vector<NbInterface> ResolveInterfaces(const NetbtConfig& config)
{
    const std::vector<NbInterface> system = SystemInterfaces();
    std::vector<NbInterface> result;
    if (config.interfaces.empty()) {
        for (const NbInterface& entry : system)
            if (!IsLoopbackName(entry.name))
                result.push_back(entry);
        return result;
    }
    for (const std::string& wanted : config.interfaces) {
        const auto address = ParseIpv4(wanted);
        bool found = false;
        for (const NbInterface& entry : system) {
            const std::string bare = IsLoopbackName(entry.name) ? entry.name.substr(3) : entry.name;
            if ((address && entry.address == *address) || (!address && bare == wanted)) {
                result.push_back(entry);
                result.back().name = address ? wanted : bare;
                found = true;
                break;
            }
        }
        if (!found && address && (*address >> 24) == 127) {
            result.push_back(NbInterface{wanted, *address, std::nullopt});
            found = true;
        }
        if (!found)
            throw PlNetbtConfigErr("interface \"" + wanted + "\" has no usable IPv4 address");
    }
    return result;
}

}  // namespace pl::nb
