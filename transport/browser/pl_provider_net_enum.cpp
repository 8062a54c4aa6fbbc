#include "transport/browser/pl_provider_net_enum.h"

std::optional<std::vector<PlNetResource>> PlProviderNetEnum::Enumerate(const PlNetResource* parent)
{
    if (parent == nullptr)
        return std::vector<PlNetResource>{{kDisplayNetwork, kNetworkName, {}}};
    if (parent->displayType != kDisplayNetwork && parent->displayType != kDisplayDomain)
        return std::nullopt;
    std::vector<PlNetResource> resources;
    for (const pl::nb::NbBrowseEntry& entry : service_.BrowseList()) {
        if (parent->displayType == kDisplayNetwork && entry.isWorkgroup)
            resources.push_back({kDisplayDomain, entry.name, entry.comment});
        else if (parent->displayType == kDisplayDomain && !entry.isWorkgroup && entry.workgroup == parent->remoteName)
            resources.push_back({kDisplayServer, "\\\\" + entry.name, entry.comment});
    }
    return resources;
}
