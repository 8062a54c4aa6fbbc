#pragma once
// Runs a system tool (systemctl, nft) to completion and collects what it
// printed. The tool inherits the environment, except that its messages are
// asked for in the C locale so that callers can recognise them.
// Thread contract: none needed; each call is independent.

#include <string>
#include <vector>

namespace pl::inst {

struct ProcessResult {
    int spawnError = 0;   // errno when the tool could not be started (ENOENT: not installed)
    int exitStatus = -1;  // -1 when it was killed by a signal
    std::string output;   // standard output
    std::string errors;   // standard error

    bool Succeeded() const { return spawnError == 0 && exitStatus == 0; }
};

// Runs `argv` (argv[0] is looked up on PATH unless it holds a slash) with
// `input` on its standard input.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input = {});

// The program named by the environment variable `variable` when it is set,
// else `fallback` (tests point the library at stand-ins this way).
std::string ToolPath(const char* variable, const char* fallback);

}  // namespace pl::inst
