#pragma once
// The 16-byte form of a NetBIOS name: the name converted to the OEM code page,
// cut to its first 15 bytes (never inside a character), padded with spaces,
// and the suffix byte in position 16.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace pl {

inline constexpr std::size_t kNetbiosNameLength = 16;
using NetbiosNameBytes = std::array<std::uint8_t, kNetbiosNameLength>;

// The longest prefix of `ansiName`, in whole characters, whose OEM form fits
// the 15 name bytes: the name as it is registered and called.
std::string FitNetbiosName(std::string_view ansiName);
std::string FitNetbiosName(std::string_view ansiName, const std::string& codepage);

NetbiosNameBytes MakeNetbiosName(std::string_view ansiName, std::uint8_t suffix);
NetbiosNameBytes MakeNetbiosName(std::string_view ansiName, std::uint8_t suffix, const std::string& codepage);

// The name part of a 16-byte form without its padding, back in UTF-8.
std::string NetbiosNameText(std::span<const std::uint8_t, kNetbiosNameLength> form);

}  // namespace pl
