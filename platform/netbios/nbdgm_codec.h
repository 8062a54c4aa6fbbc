#pragma once
// The NetBIOS datagram service packets (RFC 1002 section 4.4): direct unique,
// direct group and broadcast datagrams, the datagram error and the query
// packets of a datagram distributor. Pure functions with a one-line printer.

#include "platform/netbios/nb_name_codec.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pl::nb {

inline constexpr std::uint8_t kDgmDirectUnique = 0x10;
inline constexpr std::uint8_t kDgmDirectGroup = 0x11;
inline constexpr std::uint8_t kDgmBroadcast = 0x12;
inline constexpr std::uint8_t kDgmError = 0x13;
inline constexpr std::uint8_t kDgmQueryRequest = 0x14;
inline constexpr std::uint8_t kDgmPositiveQuery = 0x15;
inline constexpr std::uint8_t kDgmNegativeQuery = 0x16;

inline constexpr std::uint8_t kDgmFlagMore = 0x01;
inline constexpr std::uint8_t kDgmFlagFirst = 0x02;

inline constexpr std::uint8_t kDgmErrorNameNotPresent = 0x82;

struct NbDatagram {
    std::uint8_t type = kDgmDirectUnique;
    std::uint8_t flags = kDgmFlagFirst;
    std::uint16_t id = 0;
    std::uint32_t sourceAddress = 0;  // host order
    std::uint16_t sourcePort = 0;
    std::uint16_t packetOffset = 0;
    NbName source;                   // data packets only
    NbName destination;              // data and query packets
    std::vector<std::uint8_t> data;  // data packets only
    std::uint8_t errorCode = 0;      // error packets only

    bool IsData() const { return type >= kDgmDirectUnique && type <= kDgmBroadcast; }
};

std::optional<NbDatagram> DecodeDatagram(std::span<const std::uint8_t> bytes, std::string* error = nullptr);
std::vector<std::uint8_t> EncodeDatagram(const NbDatagram& datagram);
std::string DescribeDatagram(const NbDatagram& datagram);

}  // namespace pl::nb
