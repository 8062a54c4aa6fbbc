#pragma once
// Puts a folder on the search path of every login: the PATH line of the
// system root's etc/environment, which pam_env reads at login. Entries are
// compared whole and case-sensitively, as Linux compares paths.

#include "instlib/inst_result.h"

#include <optional>
#include <string>
#include <string_view>

namespace pl::inst {

enum class PathEdit { Added, AlreadyPresent, NoPathLine };

struct PathEditResult {
    PathEdit edit = PathEdit::NoPathLine;
    std::string text;  // the whole file, changed only when Added
};

// Puts `directory` in front of the value of the last PATH line of `text`,
// keeping its quoting, an "export " before it and every other line.
PathEditResult AddToPathLine(std::string_view text, std::string_view directory);

// True for a folder that can stand as one PATH entry of etc/environment.
bool IsPathEntry(std::string_view directory);

// The whole step: read, edit and replace etc/environment.
InstResult AddDirectoryToSystemPath(std::string_view directory);

}  // namespace pl::inst
