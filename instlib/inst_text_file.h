#pragma once
// Reading and replacing the small system files the installer helper edits
// (etc/environment, etc/parlino/netbt.conf): a bounded read, and an atomic
// replacement that keeps the file's mode. Failures carry their result code.

#include "instlib/inst_result.h"

#include <string>
#include <string_view>

namespace pl::inst {

struct TextFile {
    InstResult result = InstResult::Success;
    bool exists = false;
    std::string text;
};

// Reads the file; a missing file is a success with `exists` false. A file
// longer than the editors accept fails, so it is never rewritten cut short.
TextFile ReadTextFile(const std::string& path);

// Replaces the file with `text`, keeping its mode (`newMode` for a new file).
InstResult ReplaceTextFile(const std::string& path, std::string_view text, unsigned newMode);

// Calls `line` for every line of `text` with the line's text and its ending
// ("\n", "\r\n" or "" for a last line without one).
template <typename Function>
void ForEachRawLine(std::string_view text, Function&& line)
{
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view current = text.substr(0, end);
        std::string_view ending = end == std::string_view::npos ? "" : "\n";
        if (!current.empty() && current.back() == '\r' && !ending.empty()) {
            current.remove_suffix(1);
            ending = "\r\n";
        }
        text.remove_prefix(current.size() + ending.size());
        line(current, ending);
    }
}

}  // namespace pl::inst
