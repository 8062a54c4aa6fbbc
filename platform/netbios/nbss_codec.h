#pragma once
// The NetBIOS session service packets (RFC 1002 section 4.3): the 4-byte
// header with its 17-bit length, the session request with its two names, and
// a framer that cuts a TCP byte stream into whole packets.

#include "platform/netbios/nb_name_codec.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pl::nb {

inline constexpr std::uint8_t kNbssMessage = 0x00;
inline constexpr std::uint8_t kNbssRequest = 0x81;
inline constexpr std::uint8_t kNbssPositive = 0x82;
inline constexpr std::uint8_t kNbssNegative = 0x83;
inline constexpr std::uint8_t kNbssRetarget = 0x84;
inline constexpr std::uint8_t kNbssKeepAlive = 0x85;

// Error codes of a negative session response.
inline constexpr std::uint8_t kNbssNotListeningOnCalled = 0x80;
inline constexpr std::uint8_t kNbssNotListeningForCalling = 0x81;
inline constexpr std::uint8_t kNbssCalledNotPresent = 0x82;
inline constexpr std::uint8_t kNbssInsufficientResources = 0x83;
inline constexpr std::uint8_t kNbssUnspecified = 0x8F;

inline constexpr std::size_t kNbssHeaderSize = 4;
inline constexpr std::uint32_t kNbssMaxLength = 0x1FFFF;

struct NbssPacket {
    std::uint8_t type = kNbssMessage;
    std::vector<std::uint8_t> payload;
};

struct NbssSessionRequest {
    NbName called;
    NbName calling;
};

// The whole packet (header and payload); `payload` must not exceed kNbssMaxLength.
std::vector<std::uint8_t> EncodeNbss(std::uint8_t type, std::span<const std::uint8_t> payload);
std::vector<std::uint8_t> EncodeSessionRequest(const NbssSessionRequest& request);
std::optional<NbssSessionRequest> DecodeSessionRequest(std::span<const std::uint8_t> payload);
std::string DescribeNbss(const NbssPacket& packet);

// Cuts a byte stream into packets. Feed may be called with any split of the
// stream; a header with reserved flag bits or an unknown type makes the
// framer fail for good (the session must be dropped). Holds at most one
// partial packet plus the whole packets not yet taken.
class NbssFramer {
public:
    // False once the stream was found malformed.
    bool Feed(std::span<const std::uint8_t> bytes);
    std::optional<NbssPacket> Next();
    bool Failed() const { return failed_; }
    // Bytes of whole packets waiting to be taken.
    std::size_t QueuedBytes() const { return queuedBytes_; }

private:
    std::vector<std::uint8_t> partial_;
    std::deque<NbssPacket> ready_;
    std::size_t queuedBytes_ = 0;
    bool failed_ = false;
};

}  // namespace pl::nb
