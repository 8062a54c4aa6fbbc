#include "transport/pdu/c_smb_pdu.h"

#include "transport/pdu/c_pdu_buffer.h"

#include <algorithm>
#include <vector>

#include "platform/bytes/pl_le_bytes.h"
#include "platform/smb/pl_smb_frame.h"

namespace {

void PutWord(CPduBuffer& buffer, std::uint16_t value)
{
    std::uint8_t bytes[2];
    pl::StoreLe16(bytes, value);
    buffer.Put(bytes, 2);
}

std::uint16_t GetWord(CPduBuffer& buffer)
{
    std::uint8_t bytes[2] = {};
    buffer.Get(bytes, 2);
    return pl::GetLe16(bytes, 0);
}

std::uint8_t GetByte(CPduBuffer& buffer)
{
    std::uint8_t byte = 0;
    buffer.Get(&byte, 1);
    return byte;
}

}  // namespace

CSmbPdu::CSmbPdu()
{
    CSmbPdu::Reset();
}

void CSmbPdu::Reset()
{
    Protocol = pl::smb::kProtocol;
    Command = 0;
    ErrorClass = 0;
    Reserved = 0;
    ErrorCode = 0;
    Flags = 0;
    ReservedWords.fill(0);
    Tid = Pid = Uid = Mid = 0;
    WordCount = 0;
    ParameterWords.fill(0);
    ByteCount = 0;
    Buffer.fill(0);
}

void CSmbPdu::SetGroupId(std::uint16_t id)
{
    WordCount = 1;
    pl::StoreLe16(ParameterWords.data(), id);
}

std::uint16_t CSmbPdu::GroupId() const
{
    if (WordCount == 0)
        return 0;
    return pl::GetLe16(ParameterWords, 0);
}

std::string_view CSmbPdu::Data() const
{
    return {reinterpret_cast<const char*>(Buffer.data()), ByteCount};
}

void CSmbPdu::BuildData(CPduBuffer&) {}

void CSmbPdu::EncodeHeader(CPduBuffer& buffer) const
{
    pl::smb::SmbHeader header;
    header.command = Command;
    header.errorClass = ErrorClass;
    header.reserved = Reserved;
    header.errorCode = ErrorCode;
    header.flags = Flags;
    header.reservedWords = ReservedWords;
    header.tid = Tid;
    header.pid = Pid;
    header.uid = Uid;
    header.mid = Mid;
    std::vector<std::uint8_t> bytes;
    pl::smb::AppendSmbHeader(header, bytes);
    std::copy(Protocol.begin(), Protocol.end(), bytes.begin());
    buffer.Put(bytes.data(), static_cast<int>(bytes.size()));
}

void CSmbPdu::Encode(CPduBuffer& buffer)
{
    CPduBuffer scratch;
    BuildData(scratch);
    std::copy_n(scratch.Data(), scratch.Length(), Buffer.begin());
    ByteCount = static_cast<std::uint16_t>(scratch.Length());

    buffer.Clear();
    EncodeHeader(buffer);
    buffer.PutByte(WordCount);
    buffer.Put(ParameterWords.data(), WordCount * 2);
    PutWord(buffer, ByteCount);
    buffer.Put(Buffer.data(), ByteCount);
}

void CSmbPdu::Decode(CPduBuffer& buffer)
{
    buffer.Seek(0);
    buffer.Get(Protocol.data(), static_cast<int>(Protocol.size()));
    const pl::smb::SmbHeader header =
        pl::smb::ReadSmbHeader({buffer.Data(), static_cast<std::size_t>(std::max(buffer.Length(), 0))});
    Command = header.command;
    ErrorClass = header.errorClass;
    Reserved = header.reserved;
    ErrorCode = header.errorCode;
    Flags = header.flags;
    ReservedWords = header.reservedWords;
    Tid = header.tid;
    Pid = header.pid;
    Uid = header.uid;
    Mid = header.mid;
    buffer.Seek(static_cast<int>(pl::smb::kWordCountOffset));

    // Only whole words that were really received count.
    const int claimedWords = GetByte(buffer);
    WordCount = static_cast<std::uint8_t>(std::min(claimedWords, buffer.Remaining() / 2));
    ParameterWords.fill(0);
    buffer.Get(ParameterWords.data(), WordCount * 2);
    buffer.Seek(buffer.ReadPosition() + (claimedWords - WordCount) * 2);

    const int claimedBytes = buffer.Remaining() >= 2 ? GetWord(buffer) : 0;
    ByteCount = static_cast<std::uint16_t>(std::min({claimedBytes, buffer.Remaining(), kBufferAreaSize}));
    Buffer.fill(0);
    buffer.Get(Buffer.data(), ByteCount);
    ParseData();
}
