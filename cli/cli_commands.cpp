#include "cli/cli_commands.h"

#include <array>
#include <cstdio>
#include <string>

namespace {

constexpr std::array kCommands{
    CliCommand{"archive", "inspect a message archive file (dump, check)", RunArchiveCommand},
};

int Usage(std::FILE* out, int code)
{
    std::fprintf(out, "usage: parlino-cli COMMAND [ARGS...]\n\ncommands:\n");
    for (const CliCommand& c : kCommands)
        std::fprintf(out, "  %-10.*s %.*s\n", static_cast<int>(c.name.size()), c.name.data(),
                     static_cast<int>(c.summary.size()), c.summary.data());
    std::fprintf(out, "\n'parlino-cli COMMAND --help' describes a command.\n");
    return code;
}

}  // namespace

std::span<const CliCommand> CliCommands()
{
    return kCommands;
}

int CliDispatch(std::span<char* const> args)
{
    if (args.empty())
        return Usage(stderr, 2);
    const std::string_view name = args[0];
    if (name == "--help" || name == "-h" || name == "help")
        return Usage(stdout, 0);
    for (const CliCommand& c : kCommands)
        if (c.name == name)
            return c.run(args.subspan(1));
    std::fprintf(stderr, "parlino-cli: unknown command '%s'\n", std::string(name).c_str());
    return Usage(stderr, 2);
}
