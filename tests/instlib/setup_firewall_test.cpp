// SetupFirewall with real nftables, inside a network namespace of the test's
// own (root only; skipped otherwise), and the capability on a scratch image.

#include "instlib/inst_capability.h"
#include "instlib/plinstlib.h"
#include "instlib_test_support.h"

#include <gtest/gtest.h>
#include <sys/capability.h>

#include <sstream>
#include <vector>

namespace {

class SetupFirewallTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "needs root for a network namespace and nftables";
        if (RunShell("command -v nft").status != 0)
            GTEST_SKIP() << "nft is not installed";
        ASSERT_TRUE(netns_.Created()) << "cannot create a network namespace";
        ASSERT_TRUE(netns_.Enter());
        folder_.WriteFile("parlino", "image");
    }

    std::string Image() const { return folder_.Path("parlino"); }

    // The rules of the project's chain, without their handles.
    std::vector<std::string> Rules() const
    {
        std::istringstream listing(netns_.Run("nft list chain inet parlino input 2>/dev/null").output);
        std::vector<std::string> rules;
        for (std::string line; std::getline(listing, line);)
            if (line.find("dport") != std::string::npos)
                rules.push_back(line.substr(line.find_first_not_of('\t')));
        return rules;
    }

    TestNetns netns_;
    PlTempFolder folder_;
};

TEST_F(SetupFirewallTest, OpensTheFourPortsInOrderOnceAndAuthorisesTheImage)
{
    EXPECT_EQ(SetupFirewall("Parlino Messenger", Image().c_str()), PLINST_SUCCESS);
    const std::vector<std::string> expected = {
        "tcp dport 139 accept comment \"TCP 139\"",
        "tcp dport 445 accept comment \"TCP 445\"",
        "udp dport 137 accept comment \"UDP 137\"",
        "udp dport 138 accept comment \"UDP 138\"",
    };
    EXPECT_EQ(Rules(), expected);
    EXPECT_TRUE(pl::inst::HasBindCapability(Image()));
    EXPECT_NE(netns_.Run("nft list chain inet parlino input").output.find("policy accept"), std::string::npos);

    const std::string before = netns_.Run("nft -a list ruleset").output;
    EXPECT_EQ(SetupFirewall("Parlino Messenger", Image().c_str()), PLINST_SUCCESS);
    EXPECT_EQ(netns_.Run("nft -a list ruleset").output, before);
}

TEST_F(SetupFirewallTest, KeepsRulesAndCapabilitiesThatAreThere)
{
    ASSERT_EQ(netns_.Run("nft add table inet parlino").status, 0);
    ASSERT_EQ(netns_.Run("nft 'add chain inet parlino input { type filter hook input priority 0; }'").status, 0);
    ASSERT_EQ(netns_.Run("nft add rule inet parlino input udp dport 137 accept").status, 0);
    ASSERT_EQ(RunShell("setcap cap_net_raw=p " + Image()).status, 0);

    EXPECT_EQ(SetupFirewall("Parlino Messenger", Image().c_str()), PLINST_SUCCESS);
    const std::vector<std::string> rules = Rules();
    ASSERT_EQ(rules.size(), 4u);
    EXPECT_EQ(rules[0], "udp dport 137 accept");
    EXPECT_EQ(rules[3], "udp dport 138 accept comment \"UDP 138\"");

    const cap_t caps = ::cap_get_file(Image().c_str());
    ASSERT_NE(caps, nullptr);
    cap_flag_value_t raw = CAP_CLEAR, rawEffective = CAP_CLEAR;
    ::cap_get_flag(caps, CAP_NET_RAW, CAP_PERMITTED, &raw);
    ::cap_get_flag(caps, CAP_NET_RAW, CAP_EFFECTIVE, &rawEffective);
    ::cap_free(caps);
    EXPECT_EQ(raw, CAP_SET);
    EXPECT_EQ(rawEffective, CAP_SET);  // the file's one effective flag covers it too
    EXPECT_TRUE(pl::inst::HasBindCapability(Image()));
}

TEST_F(SetupFirewallTest, OpensNoPortWhenTheImageCannotBeAuthorised)
{
    EXPECT_EQ(SetupFirewall("Parlino Messenger", folder_.Path("missing").c_str()), PLINST_FAILED);
    EXPECT_TRUE(Rules().empty());
    EXPECT_EQ(SetupFirewall(nullptr, Image().c_str()), PLINST_FAILED);
}

TEST_F(SetupFirewallTest, ReportsAccessDeniedToAnUnprivilegedCaller)
{
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool dropped = ::setresgid(65534, 65534, 65534) == 0 && ::setresuid(65534, 65534, 65534) == 0;
        ::_exit(dropped ? SetupFirewall("Parlino Messenger", Image().c_str()) : 100);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), PLINST_ACCESS_DENIED);
    EXPECT_TRUE(Rules().empty());
}

TEST(SetupFirewallWithoutNftables, ReportsTheFirewallAsAbsent)
{
    ::setenv("PARLINO_NFT", "/nonexistent/nft", 1);
    EXPECT_EQ(SetupFirewall("Parlino Messenger", "/nonexistent/parlino"), PLINST_NOT_PRESENT);
    ::unsetenv("PARLINO_NFT");
}

}  // namespace
