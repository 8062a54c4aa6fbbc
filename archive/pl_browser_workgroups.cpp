#include "archive/pl_browser_workgroups.h"

#include "platform/text/pl_case.h"
#include "transport/browser/pl_network_browser.h"

namespace {

bool ListsDomain(const PlBrowseNode& node, const std::string& name)
{
    for (std::size_t i = 0; i < node.ChildCount(); ++i) {
        const PlBrowseNode& child = node.Child(i);
        if (child.Info().kind == kResourceDomain && pl::EqualsIgnoreCase(child.Info().name, name))
            return true;
        if (ListsDomain(child, name))
            return true;
    }
    return false;
}

}  // namespace

PlWorkgroupListed WorkgroupsListedBy(const PlNetworkBrowser& browser)
{
    return [&browser](const std::string& name) { return ListsDomain(*browser.TreeCopy(), name); };
}
