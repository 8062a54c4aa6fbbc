// The provider's configuration file and the lmhosts file.

#include "platform/netbios/nb_lmhosts.h"
#include "platform/netbios/netbt_config.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

namespace pl::nb {
namespace {

std::string ErrorOf(const std::string& text)
{
    try {
        ParseNetbtConfig(text, "netbt.conf");
    } catch (const PlNetbtConfigErr& error) {
        return error.Text();
    }
    return "";
}

TEST(NetbtConfig, ReadsEveryKeyWithComments)
{
    const auto config = ParseNetbtConfig(
        "# provider\n[netbt]\ninterfaces = lan0, 127.0.0.2   # two\nnetbios_name = hosta\nworkgroup = LAB ; x\n"
        "name_port = 1137\ndatagram_port = 1138\nsession_port = 1139\nwins_server = 169.254.77.1\n"
        "lmhosts = /tmp/lmhosts\noem_codepage = CP850\nbroadcast_targets = 127.0.0.3, 127.0.0.4\n",
        "netbt.conf");
    EXPECT_EQ(config.interfaces, (std::vector<std::string>{"lan0", "127.0.0.2"}));
    EXPECT_EQ(EffectiveNetbiosName(config), "HOSTA");
    NetbtConfig longName = config;
    longName.netbiosName = "workstation-accounting";
    EXPECT_EQ(EffectiveNetbiosName(longName), "WORKSTATION-ACC");  // as it is registered
    EXPECT_EQ(config.workgroup, "LAB");
    EXPECT_EQ(config.namePort, 1137);
    EXPECT_EQ(config.datagramPort, 1138);
    EXPECT_EQ(config.sessionPort, 1139);
    EXPECT_EQ(config.winsServer, 0xA9FE4D01u);
    EXPECT_EQ(config.lmhosts, "/tmp/lmhosts");
    EXPECT_EQ(config.oemCodepage, "CP850");
    EXPECT_EQ(config.broadcastTargets, (std::vector<std::uint32_t>{0x7F000003, 0x7F000004}));

    const NetbtConfig defaults = ParseNetbtConfig("", "empty");
    EXPECT_EQ(defaults.namePort, 137);
    EXPECT_EQ(defaults.sessionPort, 139);
    EXPECT_EQ(defaults.workgroup, "WORKGROUP");
}

TEST(NetbtConfig, BadLinesNameTheLine)
{
    EXPECT_EQ(ErrorOf("[netbt]\n\ncolour = blue\n"), "netbt.conf:3: unknown key \"colour\"");
    EXPECT_EQ(ErrorOf("[netbt]\nname_port = 70000\n"), "netbt.conf:2: name_port must be a port number from 1 to 65535");
    EXPECT_EQ(ErrorOf("[netbt]\nwins_server = nowhere\n"),
              "netbt.conf:2: wins_server: \"nowhere\" is not an IPv4 address");
    EXPECT_EQ(ErrorOf("[other]\n"), "netbt.conf:1: unknown section [other] (only [netbt] is known)");
    EXPECT_EQ(ErrorOf("name_port = 5\n"), "netbt.conf:1: key outside the [netbt] section");
    EXPECT_EQ(ErrorOf("[netbt]\njust words\n"), "netbt.conf:2: expected key = value");
}

TEST(NetbtConfig, FileNamedByTheEnvironmentOrDefaults)
{
    const std::string path = ::testing::TempDir() + "netbt-test.conf";
    std::ofstream(path) << "[netbt]\nworkgroup = FROMFILE\n";
    ::setenv("PARLINO_NETBT_CONF", path.c_str(), 1);
    EXPECT_EQ(LoadNetbtConfig().workgroup, "FROMFILE");
    // A file the environment names must exist: the defaults would use every
    // real interface of the machine.
    ::setenv("PARLINO_NETBT_CONF", (path + ".missing").c_str(), 1);
    try {
        LoadNetbtConfig();
        ADD_FAILURE() << "a missing named file gave the defaults";
    } catch (const PlNetbtConfigErr& error) {
        EXPECT_EQ(error.Text(), path + ".missing: no such file (named by PARLINO_NETBT_CONF)");
    }
    // An empty variable names no file: the system file or the defaults.
    ::setenv("PARLINO_NETBT_CONF", "", 1);
    EXPECT_NO_THROW(LoadNetbtConfig());
    ::unsetenv("PARLINO_NETBT_CONF");
}

// The documented configuration that the package installs: as shipped, every
// key commented out, it gives the defaults; every example, uncommented,
// is a valid line and means what its comment says.
TEST(NetbtConfig, TheInstalledFileGivesTheDefaultsAndItsExamplesParse)
{
    std::ifstream file(std::string(PL_SOURCE_DIR) + "/packaging/netbt.conf");
    std::stringstream shipped;
    shipped << file.rdbuf();
    ASSERT_FALSE(shipped.str().empty());
    const NetbtConfig defaults = ParseNetbtConfig(shipped.str(), "netbt.conf");
    EXPECT_TRUE(defaults.interfaces.empty());
    EXPECT_EQ(defaults.workgroup, "WORKGROUP");
    EXPECT_FALSE(defaults.winsServer.has_value());
    EXPECT_TRUE(defaults.broadcastTargets.empty());

    std::string examples;
    std::set<std::string> keys;
    std::istringstream lines(shipped.str());
    for (std::string line; std::getline(lines, line);) {
        if (line.size() > 1 && line[0] == '#' && line[1] != ' ' && line.find(" = ") != std::string::npos) {
            line.erase(0, 1);
            keys.insert(line.substr(0, line.find(' ')));
        }
        examples += line + "\n";
    }
    EXPECT_EQ(keys, (std::set<std::string>{"interfaces", "netbios_name", "workgroup", "name_port", "datagram_port",
                                           "session_port", "wins_server", "lmhosts", "oem_codepage",
                                           "broadcast_targets", "session_idle_timeout"}));
    const NetbtConfig config = ParseNetbtConfig(examples, "netbt.conf");
    EXPECT_EQ(config.interfaces, (std::vector<std::string>{"eth0", "wlan0"}));
    EXPECT_EQ(config.namePort, 137);
    EXPECT_EQ(config.sessionPort, 139);
    EXPECT_EQ(config.sessionIdleTimeout, std::chrono::seconds(30));
    EXPECT_EQ(config.broadcastTargets.size(), 2u);
}

TEST(Lmhosts, ParsesPlainAndQuotedNames)
{
    const auto entries =
        ParseLmhosts("# comment\n169.254.1.2  hosta  #PRE\n169.254.1.3 \"PRINTER        \\0x20\"\n\n", "lmhosts");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(LookupLmhosts(entries, MakeNetbiosName("HOSTA", 3, "CP850")), 0xA9FE0102u);
    EXPECT_EQ(LookupLmhosts(entries, MakeNetbiosName("PRINTER", 0x20, "CP850")), 0xA9FE0103u);
    EXPECT_FALSE(LookupLmhosts(entries, MakeNetbiosName("PRINTER", 0x00, "CP850")).has_value());
    try {
        ParseLmhosts("1.2.3.4 ok\nbad-address name\n", "lmhosts");
        FAIL() << "no error";
    } catch (const PlNetbtConfigErr& error) {
        EXPECT_EQ(error.Text(), "lmhosts:2: \"bad-address\" is not an IPv4 address");
    }
}

}  // namespace
}  // namespace pl::nb
