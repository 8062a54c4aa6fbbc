#pragma once
// The SMB core header and the frame around it: 32 bytes of header
// ("\xFFSMB", command, status, flags, tids), the word count and that many
// 16-bit parameter words, the byte count and that many data bytes. One layout
// for every SMB the project reads or writes: the messenger commands and the
// mailslot transactions inside datagrams. Pure functions with a one-line
// printer; multi-byte numbers are little-endian.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pl::smb {

inline constexpr std::array<std::uint8_t, 4> kProtocol{0xFF, 'S', 'M', 'B'};
inline constexpr std::size_t kHeaderSize = 32;

// Offsets in the header.
inline constexpr std::size_t kCommandOffset = 4;
inline constexpr std::size_t kErrorClassOffset = 5;
inline constexpr std::size_t kReservedOffset = 6;
inline constexpr std::size_t kErrorCodeOffset = 7;
inline constexpr std::size_t kFlagsOffset = 9;
inline constexpr std::size_t kReservedWordsOffset = 10;
inline constexpr std::size_t kReservedWordsSize = 14;
inline constexpr std::size_t kTidOffset = 24;
inline constexpr std::size_t kPidOffset = 26;
inline constexpr std::size_t kUidOffset = 28;
inline constexpr std::size_t kMidOffset = 30;
inline constexpr std::size_t kWordCountOffset = 32;

struct SmbHeader {
    std::uint8_t command = 0;
    std::uint8_t errorClass = 0;
    std::uint8_t reserved = 0;
    std::uint16_t errorCode = 0;
    std::uint8_t flags = 0;
    std::array<std::uint8_t, kReservedWordsSize> reservedWords{};
    std::uint16_t tid = 0;
    std::uint16_t pid = 0;
    std::uint16_t uid = 0;
    std::uint16_t mid = 0;
    bool operator==(const SmbHeader&) const = default;
};

// A frame that passed the checks: its header, and views of its parameter
// words and its data section inside the decoded bytes.
struct SmbFrame {
    SmbHeader header;
    std::span<const std::uint8_t> words;  // 2 × word count bytes
    std::span<const std::uint8_t> data;   // byte count bytes
};

// The header fields of the first 32 bytes; missing bytes read as zero. The
// protocol bytes are not examined.
SmbHeader ReadSmbHeader(std::span<const std::uint8_t> bytes);
// Appends the 32 header bytes, "\xFFSMB" first.
void AppendSmbHeader(const SmbHeader& header, std::vector<std::uint8_t>& out);

// Refuses, with the reason in `error`, bytes shorter than a header and word
// count, without "\xFFSMB", or whose word count or byte count runs past the
// end. Bytes after the data section are allowed (padding).
std::optional<SmbFrame> DecodeSmbFrame(std::span<const std::uint8_t> bytes, std::string* error = nullptr);

// One line: "SMB 0xD5 words=0 bytes=12 status=0/0x0000", or "not an SMB: reason".
std::string DescribeSmb(std::span<const std::uint8_t> bytes);

}  // namespace pl::smb
