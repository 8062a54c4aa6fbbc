#pragma once
// The command table of parlino-cli: each command is a name, a one-line
// summary and a function that gets the arguments after the command name and
// returns the process exit code. A new command adds its own file and one
// row to the table in cli_commands.cpp.

#include <span>
#include <string_view>

struct CliCommand {
    std::string_view name;
    std::string_view summary;
    int (*run)(std::span<char* const> args);
};

std::span<const CliCommand> CliCommands();

// Runs the command named by args[0]; prints the usage for none, "--help" or an unknown name.
int CliDispatch(std::span<char* const> args);

// Commands, one file each.
int RunArchiveCommand(std::span<char* const> args);
