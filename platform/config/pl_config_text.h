#pragma once
// Turns the bytes of a hand-editable text file into the UTF-8 text the readers
// parse: a UTF-8 byte-order mark is dropped, and a file with a UTF-16
// byte-order mark (as Windows editors save them) is converted to UTF-8.
// Any other bytes pass unchanged.

#include <string>
#include <string_view>

namespace pl {

std::string DecodeConfigText(std::string_view bytes);

// Splits text into lines at LF, dropping a CR before it; the last line needs
// no terminator. Calls `line` for each line.
template <typename Function>
void ForEachLine(std::string_view text, Function&& line)
{
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view current = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!current.empty() && current.back() == '\r')
            current.remove_suffix(1);
        line(current);
    }
}

// The text without spaces and tabs at either end.
std::string_view TrimBlanks(std::string_view text);

}  // namespace pl
