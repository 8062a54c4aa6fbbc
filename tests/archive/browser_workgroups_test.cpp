#include "archive/pl_browser_workgroups.h"
#include "transport/browser/pl_network_browser.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// A network enumeration with one workgroup inside a network container and a
// server at the root, as the provider's browse list reports them.
class TwoLevelEnum : public PlNetEnum {
public:
    std::optional<std::vector<PlNetResource>> Enumerate(const PlNetResource* parent) override
    {
        const std::string name = parent == nullptr ? std::string() : parent->remoteName;
        if (name.empty())
            return std::vector<PlNetResource>{{kDisplayNetwork, "Network", {}}, {kDisplayServer, "\\\\LONER", {}}};
        if (name == "Network")
            return std::vector<PlNetResource>{{kDisplayDomain, "LabGroup", {}}};
        if (name == "LabGroup")
            return std::vector<PlNetResource>{{kDisplayServer, "\\\\HOST1", {}}};
        return std::nullopt;
    }
};

TEST(BrowserWorkgroups, AWorkgroupIsListedWhileTheBrowsersTreeHoldsIt)
{
    TwoLevelEnum lan;
    PlNetworkBrowser browser(lan);
    const PlWorkgroupListed listed = WorkgroupsListedBy(browser);
    EXPECT_FALSE(listed("LABGROUP"));  // nothing enumerated yet
    browser.Refresh();
    EXPECT_TRUE(listed("LABGROUP"));  // names compare case-insensitively
    EXPECT_TRUE(listed("labgroup"));
    EXPECT_FALSE(listed("OTHERGROUP"));
    EXPECT_FALSE(listed("HOST1"));  // a computer is not a workgroup
    EXPECT_FALSE(listed("LONER"));
}

}  // namespace
