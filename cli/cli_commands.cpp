#include "cli/cli_commands.h"

#include <array>
#include <iostream>

namespace pl::cli {

namespace {

constexpr std::array kCommands = {
    Command{"nbtstat", &NbtstatCommand, "NetBIOS over TCP/IP names and name tables"},
    Command{"send", &SendCommand, "send a personal message"},
    Command{"listen", &ListenCommand, "receive messages and print them"},
    Command{"archive", &ArchiveCommand, "inspect a message archive file (dump, check)"},
};

int Usage()
{
    std::cerr << "usage: parlino-cli COMMAND [ARGUMENTS]\n\ncommands:\n";
    for (const Command& command : kCommands)
        std::cerr << "  " << command.name << "  " << command.summary << "\n";
    return 2;
}

}  // namespace

std::span<const Command> Commands()
{
    return kCommands;
}

int Dispatch(std::span<const std::string> args)
{
    if (args.empty())
        return Usage();
    for (const Command& command : kCommands)
        if (command.name == args.front())
            return command.run(args.subspan(1));
    std::cerr << "parlino-cli: unknown command \"" << args.front() << "\"\n";
    return Usage();
}

}  // namespace pl::cli
