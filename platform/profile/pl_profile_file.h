#pragma once
// PlProfileFile: an initialisation file ("[Section]" lines and "key=value"
// lines), looked up the way GetPrivateProfileStringA looks values up:
// - section and key names compare case-insensitively (Unicode-aware);
// - blanks around section names, keys and values are dropped, and one pair of
//   matching single or double quotes around a value is dropped;
// - a section that occurs twice is read as one, and of a key that occurs
//   twice in a section the first occurrence counts;
// - a missing file, section or key yields the default, whose trailing blanks
//   are dropped;
// - a value is cut to fit a buffer of the given size, terminator included,
//   and never inside a UTF-8 character; it ends at an embedded NUL byte.
// Lines starting with ';' are comments. Lines that are neither a section
// header nor contain '=' are ignored, and so is a '[' line without ']'. At
// most kFileLimit bytes of a file are read; a UTF-16 file with byte-order
// mark is understood.
//
// A PlProfileFile is immutable after loading; const methods may run
// concurrently.

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

class PlProfileFile {
public:
    static constexpr std::size_t kFileLimit = 1024 * 1024;

    // An empty file: every look-up yields its default.
    PlProfileFile() = default;

    // Reads the file at `path`; a file that is missing or unreadable reads as
    // empty.
    static PlProfileFile Load(const std::string& path);
    static PlProfileFile Parse(std::string_view text);

    // The value of `key` in `section` as the file holds it (blanks and quotes
    // dropped, up to a NUL byte, not cut to a buffer), or null when the file
    // has none.
    const std::string* Find(std::string_view section, std::string_view key) const;

    // REQUIRES: bufferSize > 0 for a non-empty result.
    std::string GetString(std::string_view section, std::string_view key, std::string_view defaultValue,
                          std::size_t bufferSize) const;

private:
    using Section = std::map<std::string, std::string>;  // by upper-case key

    void AddLine(std::string_view line, Section*& current);

    std::map<std::string, Section> sections_;  // by upper-case name
};
