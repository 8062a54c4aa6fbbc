// The adapter sequence through the exports, on veth interfaces in a network
// namespace of the test's own (root only), writing the netbt.conf of a
// temporary system root.

#include "instlib/plinstlib.h"
#include "instlib_test_support.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <set>

namespace {

const std::string kLongAlias = "Office network on the second floor, east wing, behind the printer room";

class NicTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "needs root for a network namespace";
        ASSERT_TRUE(netns_.Created()) << "cannot create a network namespace";
        const std::string ip = "ip -n " + netns_.Name() + " ";
        for (const std::string& command : {
                 ip + "link set lo up", ip + "link add lan0 type veth peer name lan1",
                 ip + "addr add 169.254.31.1/24 dev lan0", ip + "addr add 169.254.32.1/24 dev lan1",
                 ip + "link set lan1 alias '" + kLongAlias + "'",
                 ip + "link add bare0 type veth peer name bare1",  // no IPv4
             })
            ASSERT_EQ(RunShell(command).status, 0) << command;
        ASSERT_TRUE(netns_.Enter());
        CloseNic();
    }
    void TearDown() override { CloseNic(); }

    int IndexOf(const std::string& name)
    {
        for (int i = 0; i < NicCount(); ++i)
            if (NicName(i) == name)
                return i;
        return -1;
    }

    TestNetns netns_;
    TestSystemRoot root_;
};

TEST_F(NicTest, ListsTheIpv4InterfacesByAliasOrName)
{
    ASSERT_EQ(OpenNic(), PLINST_SUCCESS);
    ASSERT_EQ(EnumNic(), PLINST_SUCCESS);
    ASSERT_EQ(NicCount(), 2);
    std::set<std::string> names = {NicName(0), NicName(1)};
    EXPECT_EQ(names, (std::set<std::string>{"lan0", kLongAlias.substr(0, 64)}));
    EXPECT_STREQ(NicName(NicCount()), "");
    EXPECT_STREQ(NicName(-1), "");

    ASSERT_EQ(EnumNic(), PLINST_SUCCESS);  // a repeat starts the list afresh
    EXPECT_EQ(NicCount(), 2);
}

TEST_F(NicTest, EnablesNetbiosByListingTheInterfaceInTheConfiguration)
{
    ASSERT_EQ(OpenNic(), PLINST_SUCCESS);
    ASSERT_EQ(EnumNic(), PLINST_SUCCESS);
    EXPECT_EQ(NicEnable(NicCount()), PLINST_FAILED);
    EXPECT_EQ(NicEnable(-1), PLINST_FAILED);

    EXPECT_EQ(NicEnable(IndexOf(kLongAlias.substr(0, 64))), PLINST_SUCCESS);
    EXPECT_EQ(root_.Folder().ReadFile("etc/parlino/netbt.conf"), "[netbt]\ninterfaces = lan1\n");
    struct stat folder {
    }, file{};
    ASSERT_EQ(::stat(root_.Folder().Path("etc/parlino").c_str(), &folder), 0);
    ASSERT_EQ(::stat(root_.Folder().Path("etc/parlino/netbt.conf").c_str(), &file), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0755u);  // every user's messenger reads it
    EXPECT_EQ(file.st_mode & 0777, 0644u);

    root_.Folder().WriteFile("etc/parlino/netbt.conf", "# site\n[netbt]\ninterfaces = 169.254.31.1 # lab\n");
    EXPECT_EQ(NicEnable(IndexOf("lan0")), PLINST_SUCCESS);  // listed by its address already
    EXPECT_EQ(NicEnable(IndexOf(kLongAlias.substr(0, 64))), PLINST_SUCCESS);
    EXPECT_EQ(root_.Folder().ReadFile("etc/parlino/netbt.conf"),
              "# site\n[netbt]\ninterfaces = 169.254.31.1, lan1 # lab\n");
}

TEST_F(NicTest, RefusesCallsOutOfTheSequence)
{
    EXPECT_EQ(EnumNic(), PLINST_FAILED);  // not opened
    EXPECT_EQ(NicCount(), 0);
    ASSERT_EQ(OpenNic(), PLINST_SUCCESS);
    ASSERT_EQ(OpenNic(), PLINST_SUCCESS);  // a second open replaces the first
    ASSERT_EQ(EnumNic(), PLINST_SUCCESS);
    CloseNic();
    EXPECT_EQ(NicCount(), 2);  // the list outlives the connection
    EXPECT_EQ(NicEnable(0), PLINST_FAILED);
    EXPECT_FALSE(std::filesystem::exists(root_.Folder().Path("etc/parlino/netbt.conf")));
}

}  // namespace
