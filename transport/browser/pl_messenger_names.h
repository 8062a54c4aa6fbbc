#pragma once
// The messenger names registered on a computer, found by NetBIOS adapter
// status: the unique names with suffix 0x03.

#include "transport/netbios/pl_netbios_network.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

inline constexpr std::size_t kAdapterStatusBufferSize = 1212;  // the status block and 64 names
inline constexpr int kAdapterStatusLimitMs = 200;

// The messenger names in an adapter status reply of `length` bytes, in order;
// a name count beyond the reply is cut to what it holds.
std::vector<std::string> MessengerNamesOf(std::span<const std::uint8_t> reply);

// Asks each adapter in turn, under the network's lock, until one reports at
// least one name (`limitMs` per adapter). Empty when none answers.
std::vector<std::string> LookUpMessengerNames(PlNetbiosNetwork& network, const std::string& computer,
                                              int limitMs = kAdapterStatusLimitMs);
