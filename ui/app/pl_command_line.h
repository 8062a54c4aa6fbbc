#pragma once
// The command line of parlino: --help, --version, --verbose, and one action
// (--write, --reply, --archive, --search, --options, --exit) that a running
// instance carries out, or that a first start carries out once it runs.

#include <optional>
#include <string>

#include "app/core/pl_actions.h"

struct PlCommandLine {
    bool help = false;
    bool version = false;
    bool verbose = false;
    std::optional<PlAction> action;
    std::string error;  // not empty: the arguments were not understood
};

PlCommandLine PlParseCommandLine(int argc, const char* const* argv);
std::string PlUsageText();
