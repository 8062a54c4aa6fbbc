#include "platform/smb/pl_smb_frame.h"

#include <algorithm>
#include <cstdio>

#include "platform/bytes/pl_le_bytes.h"

namespace pl::smb {

namespace {

std::optional<SmbFrame> Refuse(std::string* error, const char* reason)
{
    if (error != nullptr)
        *error = reason;
    return std::nullopt;
}

}  // namespace

SmbHeader ReadSmbHeader(std::span<const std::uint8_t> bytes)
{
    SmbHeader header;
    header.command = ByteAt(bytes, kCommandOffset);
    header.errorClass = ByteAt(bytes, kErrorClassOffset);
    header.reserved = ByteAt(bytes, kReservedOffset);
    header.errorCode = GetLe16(bytes, kErrorCodeOffset);
    header.flags = ByteAt(bytes, kFlagsOffset);
    for (std::size_t i = 0; i < kReservedWordsSize; ++i)
        header.reservedWords[i] = ByteAt(bytes, kReservedWordsOffset + i);
    header.tid = GetLe16(bytes, kTidOffset);
    header.pid = GetLe16(bytes, kPidOffset);
    header.uid = GetLe16(bytes, kUidOffset);
    header.mid = GetLe16(bytes, kMidOffset);
    return header;
}

void AppendSmbHeader(const SmbHeader& header, std::vector<std::uint8_t>& out)
{
    out.insert(out.end(), kProtocol.begin(), kProtocol.end());
    out.push_back(header.command);
    out.push_back(header.errorClass);
    out.push_back(header.reserved);
    PutLe16(out, header.errorCode);
    out.push_back(header.flags);
    out.insert(out.end(), header.reservedWords.begin(), header.reservedWords.end());
    PutLe16(out, header.tid);
    PutLe16(out, header.pid);
    PutLe16(out, header.uid);
    PutLe16(out, header.mid);
}

std::optional<SmbFrame> DecodeSmbFrame(std::span<const std::uint8_t> bytes, std::string* error)
{
    if (bytes.size() < kWordCountOffset + 1)
        return Refuse(error, "shorter than an SMB header");
    if (!std::equal(kProtocol.begin(), kProtocol.end(), bytes.begin()))
        return Refuse(error, "no \\xFFSMB signature");
    const std::size_t words = 2 * std::size_t{bytes[kWordCountOffset]};
    const std::size_t byteCountOffset = kWordCountOffset + 1 + words;
    if (bytes.size() < byteCountOffset + 2)
        return Refuse(error, "parameter words or byte count run past the end");
    const std::size_t dataCount = GetLe16(bytes, byteCountOffset);
    if (bytes.size() - (byteCountOffset + 2) < dataCount)
        return Refuse(error, "data section runs past the end");
    return SmbFrame{ReadSmbHeader(bytes), bytes.subspan(kWordCountOffset + 1, words),
                    bytes.subspan(byteCountOffset + 2, dataCount)};
}

std::string DescribeSmb(std::span<const std::uint8_t> bytes)
{
    std::string reason;
    const auto frame = DecodeSmbFrame(bytes, &reason);
    if (!frame)
        return "not an SMB: " + reason;
    char text[96];
    std::snprintf(text, sizeof text, "SMB 0x%02X words=%zu bytes=%zu status=%u/0x%04X", frame->header.command,
                  frame->words.size() / 2, frame->data.size(), frame->header.errorClass, frame->header.errorCode);
    return text;
}

}  // namespace pl::smb
