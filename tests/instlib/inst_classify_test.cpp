// How the installer helper reads the tools and the kernel: results of
// failed systemctl and nft calls, and the listing of the project's chain.

#include "instlib/inst_firewall.h"
#include "instlib/inst_service.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace pl::inst {
namespace {

ProcessResult Failed(std::string errors)
{
    return ProcessResult{0, 1, {}, std::move(errors)};
}

TEST(ToolResults, MapByCause)
{
    EXPECT_EQ(ResultForSystemctl(Failed("System has not been booted with systemd as init system (PID 1).")),
              InstResult::NotPresent);
    EXPECT_EQ(ResultForSystemctl(Failed("Failed to connect to bus: No such file or directory")),
              InstResult::NotPresent);
    EXPECT_EQ(ResultForSystemctl(Failed("Failed to disable unit: Access denied")), InstResult::AccessDenied);
    EXPECT_EQ(ResultForSystemctl(Failed("Failed to stop nmbd.service: Interactive authentication required.")),
              InstResult::AccessDenied);
    EXPECT_EQ(ResultForSystemctl(Failed("Job failed")), InstResult::Failed);

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

}  // namespace
}  // namespace pl::inst
