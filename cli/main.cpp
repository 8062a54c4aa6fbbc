// parlino-cli: the messenger's command-line tool, without a user interface.

#include <span>

#include "cli/cli_commands.h"

int main(int argc, char** argv)
{
    return CliDispatch(std::span<char* const>(argv + 1, static_cast<std::size_t>(argc > 0 ? argc - 1 : 0)));
}
