#include "cli/cli_commands.h"

#include <algorithm>
#include <array>
#include <iostream>

#include "app/shared/pl_program_info.h"

namespace pl::cli {

namespace {

constexpr std::array kCommands = {
    Command{"nbtstat", &NbtstatCommand, "NetBIOS over TCP/IP names and name tables"},
    Command{"send", &SendCommand, "send a personal or broadcast message"},
    Command{"listen", &ListenCommand, "receive messages and print them"},
    Command{"browse", &BrowseCommand, "list the LAN's workgroups and computers, search recipients"},
    Command{"archive", &ArchiveCommand, "inspect a message archive file (dump, check, show)"},
    Command{"contacts", &ContactsCommand, "print the contact tree of a contacts file"},
    Command{"setup", &SetupCommand, "prepare this computer: firewall, search path, service, adapters"},
};

int Usage(std::ostream& out, int status)
{
    out << "usage: parlino-cli COMMAND [ARGUMENTS]\n"
        << "       parlino-cli --help | --version\n\ncommands:\n";
    for (const Command& command : kCommands)
        out << "  " << command.name << std::string(10 - std::min<std::size_t>(command.name.size(), 9), ' ')
            << command.summary << "\n";
    out << "\n'parlino-cli COMMAND --help' describes a command and its exit statuses.\n"
        << "exit status: 0 success, 1 the network or a file could not be used,\n"
        << "  2 arguments not understood; send adds 3 to 5 (see 'send --help')\n";
    return status;
}

}  // namespace

std::span<const Command> Commands()
{
    return kCommands;
}

int Dispatch(std::span<const std::string> args)
{
    if (args.empty())
        return Usage(std::cerr, 2);
    if (args.front() == "--help" || args.front() == "-h" || args.front() == "help")
        return Usage(std::cout, kExitOk);
    if (args.front() == "--version") {
        std::cout << "parlino-cli " << ProductVersion() << "\n";
        return kExitOk;
    }
    for (const Command& command : kCommands)
        if (command.name == args.front())
            return command.run(args.subspan(1));
    std::cerr << "parlino-cli: unknown command \"" << args.front() << "\"\n";
    return Usage(std::cerr, 2);
}

}  // namespace pl::cli
