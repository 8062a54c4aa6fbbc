#pragma once
// Conversion between the text held in memory (UTF-8, the program's "ANSI code
// page") and the OEM code page used on the wire and in NetBIOS names.
//
// The OEM code page follows the locale as Windows chooses it (437 for en_US,
// 850 for western Europe, 866 for Russian, ...) unless it was overridden.
// All functions are thread-safe. A character that the target code page cannot
// hold becomes '?'; conversion never fails and never cuts a character in two.

#include <optional>
#include <string>
#include <string_view>

namespace pl {

// The iconv name ("CP850") of the OEM code page Windows uses for a POSIX locale
// name such as "de_DE.UTF-8" or "ru_RU"; "CP437" for "C", "POSIX" and unknown
// languages.
std::string OemCodePageForLocale(std::string_view locale);

// The code page in force: the override if one is set, else the one for the
// locale of the environment (LC_ALL, LC_CTYPE, LANG).
std::string OemCodePage();

// Overrides the OEM code page for the whole process; an empty name returns to
// the locale's. Returns false (and changes nothing) when iconv does not know
// the name.
bool SetOemCodePage(const std::string& name);

std::string AnsiToOem(std::string_view text);
std::string OemToAnsi(std::string_view oem);

// The same with an explicit code page (an iconv name).
std::string AnsiToOem(std::string_view text, const std::string& codepage);
std::string OemToAnsi(std::string_view oem, const std::string& codepage);

// Strict forms: nothing when a character (or an OEM byte sequence) has no
// counterpart in the other code page, instead of a '?' in its place. With a
// code page iconv does not know, only ASCII converts.
std::optional<std::string> ExactAnsiToOem(std::string_view text, const std::string& codepage);
std::optional<std::string> ExactOemToAnsi(std::string_view oem, const std::string& codepage);

}  // namespace pl
