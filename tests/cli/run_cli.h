#pragma once
// Runs the built parlino-cli (PARLINO_CLI, set by the build) with arguments
// and collects its exit status and everything it printed.

#include <sys/wait.h>

#include <cstdio>
#include <string>

struct CliResult {
    int status;
    std::string output;
};

inline CliResult RunCli(const std::string& arguments)
{
    const std::string command = std::string(PARLINO_CLI) + " " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    CliResult result{-1, {}};
    if (pipe == nullptr)
        return result;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        result.output.append(buffer, n);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}
