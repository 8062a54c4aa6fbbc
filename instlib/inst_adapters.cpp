#include "instlib/inst_adapters.h"

#include "instlib/inst_netbt_file.h"

#include <net/if.h>

namespace pl::inst {

std::vector<Adapter> AdaptersOf(const std::vector<KernelInterface>& interfaces)
{
    std::vector<Adapter> adapters;
    for (const KernelInterface& link : interfaces) {
        if (link.ipv4.empty() || (link.flags & IFF_LOOPBACK) != 0)
            continue;
        adapters.push_back({link.name, link.alias.empty() ? link.name : link.alias, link.ipv4});
    }
    return adapters;
}

InstResult AdapterList::Open()
{
    const int error = netlink_.Open();
    return error == 0 ? InstResult::Success : ResultForErrno(error);
}

InstResult AdapterList::Enumerate()
{
    adapters_.clear();
    if (!netlink_.IsOpen())
        return InstResult::Failed;
    std::vector<KernelInterface> interfaces;
    const int error = netlink_.List(interfaces);
    if (error != 0) {
        netlink_.Close();
        return ResultForErrno(error);
    }
    adapters_ = AdaptersOf(interfaces);
    return InstResult::Success;
}

InstResult AdapterList::Enable(int index) const
{
    if (index < 0 || index >= Count() || !netlink_.IsOpen())
        return InstResult::Failed;
    const Adapter& adapter = adapters_[static_cast<std::size_t>(index)];
    return EnableNetbiosOn(adapter.interfaceName, adapter.ipv4);
}

std::string AdapterList::DisplayName(int index) const
{
    return index >= 0 && index < Count() ? adapters_[static_cast<std::size_t>(index)].displayName : std::string();
}

}  // namespace pl::inst
