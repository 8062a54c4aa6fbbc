#pragma once
// Enables NetBIOS over TCP/IP on an interface: adds it to the `interfaces`
// key of the provider's configuration (etc/parlino/netbt.conf of the system
// root), keeping every other line and comment. Once the key lists anything,
// the provider uses only what it lists.

#include "instlib/inst_result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pl::inst {

inline constexpr const char* kNetbtConfFile = "/etc/parlino/netbt.conf";

// The configuration text with `name` added to the last `interfaces` line of
// the [netbt] section (or a new one after the section's header, or a new
// section at the end); nullopt when the line already lists the name or one
// of `addresses` (IPv4, host order).
std::optional<std::string> AddNetbtInterface(std::string_view text, std::string_view name,
                                             const std::vector<std::uint32_t>& addresses);

// True for an interface name that can stand in the list as it is.
bool IsListableInterfaceName(std::string_view name);

// The whole step: read, edit and replace the configuration of the system root.
InstResult EnableNetbiosOn(const std::string& name, const std::vector<std::uint32_t>& addresses);

}  // namespace pl::inst
