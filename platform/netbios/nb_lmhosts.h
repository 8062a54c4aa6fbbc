#pragma once
// The classic lmhosts file: "address name [#PRE] [#DOM:x]" per line, '#'
// comments. A name written as "NAME\0xNN" in quotes matches that suffix only;
// a plain name matches every suffix.

#include "platform/netbios/nb_name_codec.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pl::nb {

struct LmhostsEntry {
    std::uint32_t address = 0;           // host order
    std::string name;                    // OEM bytes, upper case, at most 15
    std::optional<std::uint8_t> suffix;  // only this suffix when set
};

// Throws PlNetbtConfigErr naming the line for a bad address or name.
std::vector<LmhostsEntry> ParseLmhosts(std::string_view text, const std::string& source);
std::vector<LmhostsEntry> LoadLmhosts(const std::string& path);

std::optional<std::uint32_t> LookupLmhosts(const std::vector<LmhostsEntry>& entries, const NetbiosNameBytes& name);

}  // namespace pl::nb
