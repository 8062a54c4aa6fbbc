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

// Exit statuses shared by the commands.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the network or a file could not be used
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNotFound = 3;      // "Recipient not found"
inline constexpr int kExitTransmission = 4;  // "Message transmission error"
inline constexpr int kExitUnknownError = 5;  // "Unknown error"

// The commands.
int NbtstatCommand(std::span<const std::string> args);
int SendCommand(std::span<const std::string> args);
int ListenCommand(std::span<const std::string> args);
int ArchiveCommand(std::span<const std::string> args);
int ContactsCommand(std::span<const std::string> args);
int BrowseCommand(std::span<const std::string> args);
int SetupCommand(std::span<const std::string> args);

}  // namespace pl::cli
