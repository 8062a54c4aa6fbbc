#include "ui/app/pl_command_line.h"

#include <string_view>

PlCommandLine PlParseCommandLine(int argc, const char* const* argv)
{
    PlCommandLine line;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            line.help = true;
        } else if (arg == "--version") {
            line.version = true;
        } else if (arg == "--verbose") {
            line.verbose = true;
        } else if (const auto action = arg.starts_with("--") ? PlActionFromName(arg.substr(2)) : std::nullopt) {
            if (line.action && *line.action != *action)
                line.error = "give one action at a time";
            line.action = action;
        } else if (arg.starts_with("-platform") || arg.starts_with("-display") || arg.starts_with("-style")) {
            ++i;  // Qt's own options and their values
        } else {
            line.error = "unknown argument \"" + std::string(arg) + "\"";
        }
    }
    return line;
}

std::string PlUsageText()
{
    return "usage: parlino [--verbose] [--write | --reply | --archive | --search | --options | --exit]\n"
           "       parlino --help | --version\n"
           "\n"
           "Parlino Messenger, the LAN messenger in the tray. Started again while it runs,\n"
           "it hands the action to the running messenger and ends:\n"
           "  --write     open a window to write a message\n"
           "  --reply     write to the sender of the newest message\n"
           "  --archive   open the message archive on the received messages\n"
           "  --search    search the LAN for users and computers\n"
           "  --options   open the options\n"
           "  --exit      end the running messenger\n"
           "  --verbose   write a line to standard error for each message, popup and\n"
           "              change of the tray's status\n"
           "\n"
           "Exit status: 0 on success (also when another instance takes the action),\n"
           "1 when the NetBIOS provider cannot start, 2 for arguments not understood.\n";
}
