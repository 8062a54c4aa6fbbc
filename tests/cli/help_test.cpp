// Every command of parlino-cli answers --help on standard output with status
// 0 and names its exit statuses; --version names the program's version.

#include "run_cli.h"

#include <gtest/gtest.h>

#include <string>

#include "app/shared/pl_program_info.h"
#include "cli/cli_commands.h"

namespace {

TEST(CliHelp, EveryCommandListsItsExitStatuses)
{
    std::vector<std::string> commands;
    for (const pl::cli::Command& command : pl::cli::Commands())
        commands.emplace_back(command.name);
    commands.emplace_back("archive show");
    for (const std::string& command : commands) {
        // Standard output only: the help is not an error message.
        const CliResult help = RunShell(std::string(PARLINO_CLI) + " " + command + " --help 2>/dev/null");
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_NE(help.output.find("usage: parlino-cli " + command), std::string::npos) << command << help.output;
        EXPECT_NE(help.output.find("exit status: 0 "), std::string::npos) << command << help.output;
        EXPECT_NE(help.output.find(" 2 bad arguments"), std::string::npos) << command << help.output;
    }
    const CliResult overview = RunShell(std::string(PARLINO_CLI) + " --help 2>/dev/null");
    EXPECT_EQ(overview.status, 0);
    EXPECT_NE(overview.output.find("exit status: 0 success"), std::string::npos) << overview.output;
}

TEST(CliHelp, VersionAndUsageErrors)
{
    const CliResult version = RunShell(std::string(PARLINO_CLI) + " --version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output, "parlino-cli " + pl::ProductVersion() + "\n");
    for (const char* wrong : {"nbtstat -x", "browse --wait", "setup", "listen --archive", "--nonsense"})
        EXPECT_EQ(RunCli(wrong).status, 2) << wrong;
}

}  // namespace
