#include "platform/netbios/nb_mailslot_codec.h"

#include "platform/bytes/pl_le_bytes.h"
#include "platform/smb/pl_smb_frame.h"

#include <algorithm>
#include <cctype>

namespace pl::nb {

namespace {

constexpr std::uint8_t kSmbTransaction = 0x25;
constexpr std::size_t kWordCountOffset = smb::kWordCountOffset;
constexpr std::uint8_t kWordCount = 17;  // 14 parameter words and 3 setup words
constexpr std::uint8_t kSetupCount = 3;
constexpr std::uint16_t kNoResponse = 0x0002;

// Offsets of the transaction's parameter words, from the start of the SMB.
constexpr std::size_t kDataCount = 55;
constexpr std::size_t kDataOffset = 57;
constexpr std::size_t kSetupCountOffset = 59;
constexpr std::size_t kSetup = 61;

bool Fail(std::string* error, const char* reason)
{
    if (error != nullptr)
        *error = reason;
    return false;
}

// The frame's checks (signature, counts within the bytes), then the command.
bool CheckHeader(std::span<const std::uint8_t> bytes, std::string* error)
{
    if (!smb::DecodeSmbFrame(bytes, error))
        return false;
    if (bytes[smb::kCommandOffset] != kSmbTransaction)
        return Fail(error, "not an SMB transaction");
    return true;
}

}  // namespace

std::optional<NbMailslotWrite> DecodeMailslotWrite(std::span<const std::uint8_t> bytes, std::string* error)
{
    if (!CheckHeader(bytes, error))
        return std::nullopt;
    const std::uint8_t wordCount = bytes[kWordCountOffset];
    const std::size_t byteCountOffset = kWordCountOffset + 1 + 2 * std::size_t{wordCount};
    if (wordCount < kWordCount || bytes.size() < byteCountOffset + 2) {
        Fail(error, "truncated transaction words");
        return std::nullopt;
    }
    if (bytes[kSetupCountOffset] < kSetupCount || 14 + std::size_t{bytes[kSetupCountOffset]} != wordCount) {
        Fail(error, "not a mailslot transaction (setup count)");
        return std::nullopt;
    }
    NbMailslotWrite write;
    if (GetLe16(bytes, kSetup) != kMailslotWriteOpcode) {
        Fail(error, "not a mailslot write");
        return std::nullopt;
    }
    write.priority = GetLe16(bytes, kSetup + 2);
    write.mailslotClass = GetLe16(bytes, kSetup + 4);
    const std::size_t nameStart = byteCountOffset + 2;
    const auto nameEnd = std::find(bytes.begin() + static_cast<std::ptrdiff_t>(nameStart), bytes.end(), 0);
    if (nameEnd == bytes.end()) {
        Fail(error, "mailslot name without its end");
        return std::nullopt;
    }
    write.mailslot.assign(bytes.begin() + static_cast<std::ptrdiff_t>(nameStart), nameEnd);
    const std::size_t dataCount = GetLe16(bytes, kDataCount);
    const std::size_t dataOffset = GetLe16(bytes, kDataOffset);
    const auto nameEndOffset = static_cast<std::size_t>(nameEnd - bytes.begin());
    if (dataCount > 0 &&
        (dataOffset <= nameEndOffset || dataOffset > bytes.size() || dataCount > bytes.size() - dataOffset)) {
        Fail(error, "mailslot data outside the datagram");
        return std::nullopt;
    }
    const auto first = bytes.begin() + static_cast<std::ptrdiff_t>(dataCount > 0 ? dataOffset : 0);
    write.data.assign(first, first + static_cast<std::ptrdiff_t>(dataCount));
    return write;
}

std::vector<std::uint8_t> EncodeMailslotWrite(const NbMailslotWrite& write)
{
    if (write.mailslot.find('\0') != std::string::npos)
        return {};
    const std::size_t nameStart = kWordCountOffset + 1 + 2 * kWordCount + 2;
    const std::size_t nameEnd = nameStart + write.mailslot.size() + 1;
    const std::size_t dataOffset = (nameEnd + 3) / 4 * 4;
    if (dataOffset + write.data.size() > kMaxMailslotSmbSize)
        return {};
    std::vector<std::uint8_t> out;
    smb::SmbHeader header;  // status, flags, PID, signature, TID, UID, MID: all zero
    header.command = kSmbTransaction;
    smb::AppendSmbHeader(header, out);
    out.push_back(kWordCount);
    const auto dataCount = static_cast<std::uint16_t>(write.data.size());
    PutLe16(out, 0);                                       // total parameter count
    PutLe16(out, dataCount);                               // total data count
    PutLe16(out, 0);                                       // max parameter count
    PutLe16(out, 0);                                       // max data count
    out.push_back(0);                                      // max setup count
    out.push_back(0);                                      // reserved
    PutLe16(out, kNoResponse);                             // transaction flags
    PutLe32(out, 0);                                       // timeout
    PutLe16(out, 0);                                       // reserved
    PutLe16(out, 0);                                       // parameter count
    PutLe16(out, static_cast<std::uint16_t>(dataOffset));  // parameter offset
    PutLe16(out, dataCount);
    PutLe16(out, static_cast<std::uint16_t>(dataOffset));
    out.push_back(kSetupCount);
    out.push_back(0);
    PutLe16(out, kMailslotWriteOpcode);
    PutLe16(out, write.priority);
    PutLe16(out, write.mailslotClass);
    PutLe16(out, static_cast<std::uint16_t>(dataOffset - nameStart + write.data.size()));  // byte count
    out.insert(out.end(), write.mailslot.begin(), write.mailslot.end());
    out.resize(dataOffset, 0);  // the name's NUL and the padding
    out.insert(out.end(), write.data.begin(), write.data.end());
    return out;
}

std::string DescribeMailslotWrite(const NbMailslotWrite& write)
{
    return "mailslot write " + write.mailslot + " class " + std::to_string(write.mailslotClass) + " priority " +
           std::to_string(write.priority) + ", " + std::to_string(write.data.size()) + " data bytes";
}

bool SameMailslotName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

}  // namespace pl::nb
