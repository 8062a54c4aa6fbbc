#pragma once
// Turns the configured interface list into the addresses the provider binds:
// one entry per LANA, in the order configured.

#include "platform/netbios/netbt_config.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pl::nb {

struct NbInterface {
    std::string name;                        // interface name, or the address text
    std::uint32_t address = 0;               // host order
    std::optional<std::uint32_t> broadcast;  // the subnet's broadcast address, if any
};

// Throws PlNetbtConfigErr when a configured name or address is not usable. An
// address of 127.0.0.0/8 is always usable (the loopback test hosts).
std::vector<NbInterface> ResolveInterfaces(const NetbtConfig& config);

}  // namespace pl::nb
