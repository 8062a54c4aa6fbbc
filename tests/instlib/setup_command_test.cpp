// parlino-cli setup: loads plinstlib, calls its exports in order and prints
// each result in words; the exit status says whether every step succeeded.

#include "instlib_test_support.h"

#include "instlib/inst_capability.h"

#include <gtest/gtest.h>

namespace {

class SetupCommandTest : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("PARLINO_INSTLIB", PLINSTLIB_PATH, 1); }
    void TearDown() override { ::unsetenv("PARLINO_INSTLIB"); }
    TestSystemRoot root_;
};

TEST_F(SetupCommandTest, PrintsEachResultInWords)
{
    root_.Folder().WriteFile("etc/environment", "PATH=/bin\n");
    CliResult result = RunCli("setup path /opt/parlino");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, "AddPathVar: 0 (success)\n");
    EXPECT_EQ(root_.Folder().ReadFile("etc/environment"), "PATH=/opt/parlino:/bin\n");

    result = RunCli("setup path relative:dir");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.output, "AddPathVar: 6 (failed)\n");

    ::setenv("PARLINO_SYSTEMCTL", "/nonexistent/systemctl", 1);
    result = RunCli("setup disable-service");
    ::unsetenv("PARLINO_SYSTEMCTL");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.output, "DisableMsgSrvc: 2 (the component is not present)\n");
}

TEST_F(SetupCommandTest, ListsAdaptersAndEnablesTheChosenOnes)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root for a network namespace";
    TestNetns netns;
    ASSERT_TRUE(netns.Created());
    ASSERT_EQ(RunShell("ip -n " + netns.Name() + " link add lan0 type veth peer name lan1").status, 0);
    ASSERT_EQ(RunShell("ip -n " + netns.Name() + " addr add 169.254.33.1/24 dev lan0").status, 0);
    const CliResult result = netns.Run(std::string(PARLINO_CLI) + " setup nic --enable 0 --enable 1 2>&1");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.output,
              "OpenNic: 0 (success)\nEnumNic: 0 (success)\nadapters: 1\n  0  lan0\n"
              "NicEnable 0 (lan0): 0 (success)\nsetup: there is no adapter 1\n");
    EXPECT_EQ(root_.Folder().ReadFile("etc/parlino/netbt.conf"), "[netbt]\ninterfaces = lan0\n");
}

TEST_F(SetupCommandTest, RefusesBadArgumentsAndAMissingLibrary)
{
    for (const char* arguments : {"setup", "setup wall", "setup nic --enable x", "setup path", "setup firewall --x"})
        EXPECT_EQ(RunCli(arguments).status, 2) << arguments;
    ::setenv("PARLINO_INSTLIB", "/nonexistent/libplinstlib.so", 1);
    const CliResult result = RunCli("setup path /opt/parlino");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.output.find("cannot load the installer library"), std::string::npos);
}

}  // namespace

// The package's step: the capability alone, for each image, no firewall.
TEST_F(SetupCommandTest, GrantsTheBindCapabilityToEachImage)
{
    const std::string first = root_.Folder().Path("bin/parlino");
    const std::string second = root_.Folder().Path("bin/parlino-cli");
    root_.Folder().WriteFile("bin/parlino", "x");
    root_.Folder().WriteFile("bin/parlino-cli", "x");
    CliResult result = RunCli("setup capability --image " + first + " --image " + second);
    if (::geteuid() != 0) {
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.output, "GrantBindCapability " + first + ": 5 (access denied)\nGrantBindCapability " + second +
                                     ": 5 (access denied)\n");
        return;
    }
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(result.output,
              "GrantBindCapability " + first + ": 0 (success)\nGrantBindCapability " + second + ": 0 (success)\n");
    EXPECT_TRUE(pl::inst::HasBindCapability(first));
    EXPECT_TRUE(pl::inst::HasBindCapability(second));

    // Again: nothing to do. A missing image fails, and the others still get it.
    result = RunCli("setup capability --image " + root_.Folder().Path("bin/none") + " --image " + first);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.output, "GrantBindCapability " + root_.Folder().Path("bin/none") +
                                 ": 6 (failed)\nGrantBindCapability " + first + ": 0 (success)\n");
}

TEST_F(SetupCommandTest, HelpListsTheStepsAndExitStatuses)
{
    const CliResult help = RunCli("setup --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("setup capability [--image PATH]..."), std::string::npos) << help.output;
    EXPECT_NE(help.output.find("exit status: 0 every call returned 0"), std::string::npos) << help.output;
    EXPECT_EQ(RunCli("setup capability --name x").status, 2);
}
