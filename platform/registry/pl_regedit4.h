#pragma once
// The REGEDIT4 text form of the per-user registry file:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Parlino Software\Parlino Messenger\Options]
//   "SysLanguageFile"="deutsch.lng"
//   "SoundEnabled"=dword:00000001
//
// Text values are written in double quotes with '\' and '"' escaped by a
// backslash; a text holding line breaks or other control characters is
// written as hex(1) bytes with its terminating zero. 32-bit numbers are
// dword values; every other type is written as hex(n) bytes (hex: for
// REG_BINARY), wrapped with a trailing backslash as regedit wraps them.
// Texts are UTF-8.

#include "platform/registry/pl_registry_hive.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace pl::regedit4 {

inline constexpr std::string_view kHeader = "REGEDIT4";
// The header of the later regedit format, whose value syntax is the same.
inline constexpr std::string_view kHeaderVersion5 = "Windows Registry Editor Version 5.00";

struct ParseResult {
    PlRegistryHive hive;
    // Lines that could not be understood and were skipped (a missing header
    // counts as one).
    std::size_t damagedLines = 0;
};

// Reads whatever keys and values can be understood; never fails. A value
// line "name"=- deletes the value, a key line [-path] is skipped with the
// values under it.
ParseResult Parse(std::string_view text);

std::string Format(const PlRegistryHive& hive);

}  // namespace pl::regedit4
