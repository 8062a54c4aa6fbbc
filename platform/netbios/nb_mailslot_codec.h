#pragma once
// The mailslot write that travels inside a NetBIOS datagram: an SMB
// transaction (command 0x25) whose setup words say "write mail slot"
// (opcode 1, priority, class 2), then the mailslot name and the data. Pure
// functions with a one-line printer.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pl::nb {

inline constexpr std::uint16_t kMailslotWriteOpcode = 1;
inline constexpr std::uint16_t kMailslotSecondClass = 2;
// The largest data of one write: a whole transaction is at most 512 bytes.
inline constexpr std::size_t kMaxMailslotSmbSize = 512;

struct NbMailslotWrite {
    std::string mailslot;  // e.g. "\MAILSLOT\MESSNGR", ASCII
    std::uint16_t priority = 0;
    std::uint16_t mailslotClass = kMailslotSecondClass;
    std::vector<std::uint8_t> data;
};

// Decodes the SMB of a datagram. The data is found by the transaction's
// DataOffset and DataCount, whatever padding the sender put before it; nothing
// outside `bytes` is read. Empty with a reason in `error` when malformed.
std::optional<NbMailslotWrite> DecodeMailslotWrite(std::span<const std::uint8_t> bytes, std::string* error = nullptr);
// Encodes a write as Windows clients do (data aligned to four bytes). Empty
// when the result would exceed kMaxMailslotSmbSize or the name has a NUL.
std::vector<std::uint8_t> EncodeMailslotWrite(const NbMailslotWrite& write);
std::string DescribeMailslotWrite(const NbMailslotWrite& write);

// Compares mailslot names the way mailslots do: without regard to ASCII case.
bool SameMailslotName(const std::string& a, const std::string& b);

}  // namespace pl::nb
