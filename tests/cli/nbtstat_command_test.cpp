// parlino-cli nbtstat against providers on a loopback LAN.

#include "cli/cli_commands.h"
#include "nb_test_lan.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

namespace pl::cli {
namespace {

using pl::nb::test::AddName;
using pl::nb::test::TestLan;

// Runs nbtstat with the configuration of host `host`; output and status.
struct NbtstatRun {
    int status = 0;
    std::string out;
    std::string err;
};

NbtstatRun Nbtstat(const pl::nb::NetbtConfig& config, std::vector<std::string> args)
{
    const std::string path = ::testing::TempDir() + "nbtstat-netbt-" + std::to_string(::getpid()) + ".conf";
    std::ofstream file(path);
    file << "[netbt]\ninterfaces = " << config.interfaces.front() << "\nname_port = " << config.namePort
         << "\ndatagram_port = " << config.datagramPort << "\nsession_port = " << config.sessionPort
         << "\noem_codepage = CP850\nbroadcast_targets = ";
    for (std::size_t i = 0; i < config.broadcastTargets.size(); ++i)
        file << (i > 0 ? ", " : "") << pl::nb::Ipv4Text(config.broadcastTargets[i]);
    file << "\n";
    file.close();
    ::setenv("PARLINO_NETBT_CONF", path.c_str(), 1);
    std::ostringstream out;
    std::ostringstream err;
    auto* oldOut = std::cout.rdbuf(out.rdbuf());
    auto* oldErr = std::cerr.rdbuf(err.rdbuf());
    std::vector<std::string> line(1, "nbtstat");
    for (std::string& arg : args)
        line.push_back(std::move(arg));
    NbtstatRun run;
    run.status = Dispatch(line);
    std::cout.rdbuf(oldOut);
    std::cerr.rdbuf(oldErr);
    ::unsetenv("PARLINO_NETBT_CONF");
    std::remove(path.c_str());
    run.out = out.str();
    run.err = err.str();
    return run;
}

class NbtstatCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(AddName(lan.Host(0), "HOST0", 0x00), NRC_GOODRET);
        ASSERT_EQ(AddName(lan.Host(0), "HOST0", 0x03), NRC_GOODRET);
        ASSERT_EQ(AddName(lan.Host(0), "WORKGROUP", 0x00, true), NRC_GOODRET);
        ASSERT_EQ(AddName(lan.Host(1), "HOST1", 0x00), NRC_GOODRET);
    }
    TestLan lan{2};
};

TEST_F(NbtstatCommandTest, RemoteNameTableByNameAndByAddressThenTheCache)
{
    const NbtstatRun byName = Nbtstat(lan.Config(1), {"-a", "host0", "-c"});
    EXPECT_EQ(byName.status, 0) << byName.err;
    EXPECT_NE(byName.out.find("NetBIOS Remote Machine Name Table"), std::string::npos) << byName.out;
    EXPECT_NE(byName.out.find("    HOST0          <03>  UNIQUE      Registered\n"), std::string::npos) << byName.out;
    EXPECT_NE(byName.out.find("    WORKGROUP      <00>  GROUP       Registered\n"), std::string::npos) << byName.out;
    EXPECT_NE(byName.out.find("NetBIOS Remote Cache Name Table"), std::string::npos);
    EXPECT_NE(byName.out.find("127.0.0.61"), std::string::npos);

    const NbtstatRun byAddress = Nbtstat(lan.Config(1), {"-A", "127.0.0.61"});
    EXPECT_EQ(byAddress.status, 0);
    EXPECT_NE(byAddress.out.find("HOST0          <00>  UNIQUE"), std::string::npos) << byAddress.out;
}

TEST_F(NbtstatCommandTest, LocalNamesAdaptersAndPlainErrors)
{
    const NbtstatRun local = Nbtstat(lan.Config(1), {"-n"});
    EXPECT_EQ(local.status, 0) << local.err;
    EXPECT_NE(local.out.find("NetBIOS Local Name Table"), std::string::npos);
    EXPECT_NE(local.out.find("HOST1          <00>  UNIQUE      Registered"), std::string::npos) << local.out;
    EXPECT_NE(local.out.find("Node IpAddress: [127.0.0.62] Scope Id: []"), std::string::npos);

    const NbtstatRun adapters = Nbtstat(lan.Config(1), {});
    EXPECT_EQ(adapters.status, 0);
    EXPECT_NE(adapters.out.find("   0  127.0.0.62"), std::string::npos) << adapters.out;

    const NbtstatRun absent = Nbtstat(lan.Config(1), {"-a", "NOBODY"});
    EXPECT_EQ(absent.status, 1);
    EXPECT_NE(absent.out.find("Host not found."), std::string::npos);

    const NbtstatRun badOption = Nbtstat(lan.Config(1), {"-x"});
    EXPECT_EQ(badOption.status, 2);
    EXPECT_NE(badOption.err.find("unknown option \"-x\""), std::string::npos);
    EXPECT_EQ(Nbtstat(lan.Config(1), {"-A", "300.1.2.3"}).status, 2);
    EXPECT_EQ(Nbtstat(lan.Config(1), {"-a"}).status, 2);
}

}  // namespace
}  // namespace pl::cli
