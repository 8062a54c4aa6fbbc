#pragma once
// The commands of parlino-cli: a table from command name to the function that
// runs it. A command writes its results to standard output, its errors in
// plain words to standard error, and returns the process exit status.

#include <span>
#include <string>
#include <string_view>

namespace pl::cli {

using CommandFunction = int (*)(std::span<const std::string> args);

struct Command {
    std::string_view name;
    CommandFunction run;
    std::string_view summary;
};

std::span<const Command> Commands();

// Runs the command named by args[0] with the rest of `args`; prints the usage
// and returns 2 for an unknown or missing command.
int Dispatch(std::span<const std::string> args);

// The commands.
int NbtstatCommand(std::span<const std::string> args);

}  // namespace pl::cli
