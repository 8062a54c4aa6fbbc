// parlino-cli: the command-line tool of Parlino Messenger.

#include "cli/cli_commands.h"

#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    return pl::cli::Dispatch(args);
}
