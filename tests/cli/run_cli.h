#pragma once
// Runs the built parlino-cli (PARLINO_CLI, set by the build) or any shell
// command and collects its exit status and everything it printed.

#include <sys/wait.h>

#include <cstdio>
#include <string>

struct CliResult {
    int status;
    std::string output;
};

// Runs a shell command; its exit status and standard output.
inline CliResult RunShell(const std::string& command)
{
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

inline CliResult RunCli(const std::string& arguments)
{
    return RunShell(std::string(PARLINO_CLI) + " " + arguments + " 2>&1");
}
