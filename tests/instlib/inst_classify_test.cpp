// How the installer helper reads the tools and the kernel: results of
// failed systemctl and nft calls, the chain listing, the adapter filter.

#include "instlib/inst_adapters.h"
#include "instlib/inst_firewall.h"
#include "instlib/inst_service.h"

#include <gtest/gtest.h>
#include <net/if.h>

#include <cerrno>

namespace pl::inst {
namespace {

ProcessResult Failed(std::string errors)
{
    return ProcessResult{0, 1, {}, std::move(errors)};
}

TEST(ToolResults, MapByCause)
{
    EXPECT_EQ(ResultForSystemctl(ProcessResult{ENOENT, -1, {}, {}}), InstResult::NotPresent);
    EXPECT_EQ(ResultForSystemctl(Failed("System has not been booted with systemd as init system (PID 1).")),
              InstResult::NotPresent);
    EXPECT_EQ(ResultForSystemctl(Failed("Failed to connect to bus: No such file or directory")),
              InstResult::NotPresent);
    EXPECT_EQ(ResultForSystemctl(Failed("Failed to disable unit: Access denied")), InstResult::AccessDenied);
    EXPECT_EQ(ResultForSystemctl(Failed("Failed to stop nmbd.service: Interactive authentication required.")),
              InstResult::AccessDenied);
    EXPECT_EQ(ResultForSystemctl(Failed("Job failed")), InstResult::Failed);

    EXPECT_EQ(ResultForNft(ProcessResult{ENOENT, -1, {}, {}}), InstResult::NotPresent);
    EXPECT_EQ(ResultForNft(ProcessResult{EACCES, -1, {}, {}}), InstResult::AccessDenied);
    EXPECT_EQ(ResultForNft(Failed("Error: Could not process rule: Operation not permitted")), InstResult::AccessDenied);
    EXPECT_EQ(ResultForNft(Failed("Error: Could not process rule: Protocol not supported")), InstResult::NotPresent);
    EXPECT_EQ(ResultForNft(Failed("Error: syntax error")), InstResult::Failed);
}

TEST(ChainListing, CountsOnlyAnAcceptingRuleForTheSameProtocolAndPort)
{
    const FirewallPort tcp139 = kFirewallPorts[0];
    EXPECT_TRUE(ChainOpensPort("table inet parlino {\n\tchain input {\n\t\ttcp dport 139 accept\n", tcp139));
    EXPECT_TRUE(ChainOpensPort("\t\ttcp dport 139 accept comment \"mine\" # handle 4\n", tcp139));
    EXPECT_FALSE(ChainOpensPort("\t\ttcp dport 1390 accept\n\t\tudp dport 139 accept\n", tcp139));
    EXPECT_FALSE(ChainOpensPort("\t\ttcp dport 139 drop\n\t\t# tcp dport 139 accept\n", tcp139));
    EXPECT_FALSE(ChainOpensPort("", tcp139));
}

TEST(AdapterFilter, ListsInterfacesWithIpv4ExceptLoopbackByAliasOrName)
{
    const std::vector<KernelInterface> links = {
        {1, "lo", "", IFF_LOOPBACK | IFF_UP, {0x7F000001}},
        {2, "eth0", "", IFF_UP, {0xC0A80102}},
        {3, "eth1", "", IFF_UP, {}},  // no IPv4: NetBIOS over TCP/IP cannot run there
        {4, "wlan0", "Office Wi-Fi", 0, {0x0A000001, 0x0A000002}},
    };
    const std::vector<Adapter> adapters = AdaptersOf(links);
    ASSERT_EQ(adapters.size(), 2u);
    EXPECT_EQ(adapters[0].interfaceName, "eth0");
    EXPECT_EQ(adapters[0].displayName, "eth0");
    EXPECT_EQ(adapters[1].interfaceName, "wlan0");
    EXPECT_EQ(adapters[1].displayName, "Office Wi-Fi");
    EXPECT_EQ(adapters[1].ipv4.size(), 2u);
}

}  // namespace
}  // namespace pl::inst
