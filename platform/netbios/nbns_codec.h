#pragma once
// The NetBIOS name service packet (RFC 1002 section 4.2): header, questions
// and resource records, and the NB and NBSTAT record data. Pure functions
// from bytes to structures and back, with a one-line printer.

#include "platform/netbios/nb_name_codec.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pl::nb {

// Flag word fields.
inline constexpr std::uint16_t kNbnsResponse = 0x8000;
inline constexpr std::uint16_t kNbnsOpcodeMask = 0x7800;
inline constexpr std::uint16_t kNbnsAuthoritative = 0x0400;
inline constexpr std::uint16_t kNbnsRecursionDesired = 0x0100;
inline constexpr std::uint16_t kNbnsRecursionAvailable = 0x0080;
inline constexpr std::uint16_t kNbnsBroadcast = 0x0010;
inline constexpr std::uint16_t kNbnsRcodeMask = 0x000F;

// Refresh is 8 in RFC 1002's table; some nodes send 9 for it, and servers
// take both.
enum class NbnsOpcode : std::uint8_t {
    Query = 0,
    Registration = 5,
    Release = 6,
    Wack = 7,
    Refresh = 8,
    RefreshAlternative = 9
};

inline constexpr std::uint8_t kRcodeNameError = 0x3;
inline constexpr std::uint8_t kRcodeActive = 0x6;  // the name is owned by another node
inline constexpr std::uint8_t kRcodeConflict = 0x7;

inline constexpr std::uint16_t kTypeNb = 0x0020;
inline constexpr std::uint16_t kTypeNbstat = 0x0021;
inline constexpr std::uint16_t kTypeNull = 0x000A;
inline constexpr std::uint16_t kClassIn = 0x0001;

// NB_FLAGS and NAME_FLAGS bits.
inline constexpr std::uint16_t kNbGroup = 0x8000;
inline constexpr std::uint16_t kNbNodeB = 0x0000;
inline constexpr std::uint16_t kNameDeregistering = 0x1000;
inline constexpr std::uint16_t kNameConflict = 0x0800;
inline constexpr std::uint16_t kNameActive = 0x0400;

struct NbnsQuestion {
    NbName name;
    std::uint16_t type = kTypeNb;
    std::uint16_t cls = kClassIn;
    bool operator==(const NbnsQuestion&) const = default;
};

struct NbnsRecord {
    NbName name;
    std::uint16_t type = kTypeNb;
    std::uint16_t cls = kClassIn;
    std::uint32_t ttl = 0;
    std::vector<std::uint8_t> rdata;
};

struct NbnsPacket {
    std::uint16_t transactionId = 0;
    std::uint16_t flags = 0;
    std::vector<NbnsQuestion> questions;
    std::vector<NbnsRecord> answers;
    std::vector<NbnsRecord> authorities;
    std::vector<NbnsRecord> additionals;

    bool IsResponse() const { return (flags & kNbnsResponse) != 0; }
    NbnsOpcode Opcode() const { return static_cast<NbnsOpcode>((flags & kNbnsOpcodeMask) >> 11); }
    std::uint8_t Rcode() const { return static_cast<std::uint8_t>(flags & kNbnsRcodeMask); }
};

// One owner of a name in NB record data: flags and IPv4 address (host order).
struct NbAddressEntry {
    std::uint16_t flags = 0;
    std::uint32_t address = 0;
};

struct NodeStatusName {
    NetbiosNameBytes name{};
    std::uint16_t flags = 0;
};

struct NodeStatus {
    std::vector<NodeStatusName> names;
    std::array<std::uint8_t, 6> unitId{};
};

// Decodes a whole UDP payload; nullopt and `error` set when malformed.
std::optional<NbnsPacket> DecodeNbns(std::span<const std::uint8_t> bytes, std::string* error = nullptr);
// Encodes; a record name equal to the first question's is written as a
// pointer to it (C0 0C), as registration and release packets require.
std::vector<std::uint8_t> EncodeNbns(const NbnsPacket& packet);
std::string DescribeNbns(const NbnsPacket& packet);

std::vector<NbAddressEntry> DecodeNbRdata(std::span<const std::uint8_t> rdata);
std::vector<std::uint8_t> EncodeNbRdata(std::span<const NbAddressEntry> entries);

// Node status data; a short or missing statistics block is accepted.
std::optional<NodeStatus> DecodeNodeStatus(std::span<const std::uint8_t> rdata);
std::vector<std::uint8_t> EncodeNodeStatus(const NodeStatus& status);

}  // namespace pl::nb
