#include "transport/pdu/c_smb_pdu.h"

#include "transport/pdu/c_pdu_buffer.h"

#include <algorithm>

namespace {

constexpr std::array<std::uint8_t, 4> kSmbProtocol{0xFF, 'S', 'M', 'B'};

void PutWord(CPduBuffer& buffer, std::uint16_t value)
{
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>(value >> 8)};
    buffer.Put(bytes, 2);
}

std::uint16_t GetWord(CPduBuffer& buffer)
{
    std::uint8_t bytes[2];
    buffer.Get(bytes, 2);
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
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
    Protocol = kSmbProtocol;
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
    ParameterWords[0] = static_cast<std::uint8_t>(id & 0xFF);
    ParameterWords[1] = static_cast<std::uint8_t>(id >> 8);
}

std::uint16_t CSmbPdu::GroupId() const
{
    if (WordCount == 0)
        return 0;
    return static_cast<std::uint16_t>(ParameterWords[0] | (ParameterWords[1] << 8));
}

std::string_view CSmbPdu::Data() const
{
    return {reinterpret_cast<const char*>(Buffer.data()), ByteCount};
}

void CSmbPdu::BuildData(CPduBuffer&) {}

void CSmbPdu::EncodeHeader(CPduBuffer& buffer) const
{
    buffer.Put(Protocol.data(), static_cast<int>(Protocol.size()));
    buffer.PutByte(Command);
    buffer.PutByte(ErrorClass);
    buffer.PutByte(Reserved);
    PutWord(buffer, ErrorCode);
    buffer.PutByte(Flags);
    buffer.Put(ReservedWords.data(), static_cast<int>(ReservedWords.size()));
    PutWord(buffer, Tid);
    PutWord(buffer, Pid);
    PutWord(buffer, Uid);
    PutWord(buffer, Mid);
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
    Command = GetByte(buffer);
    ErrorClass = GetByte(buffer);
    Reserved = GetByte(buffer);
    ErrorCode = GetWord(buffer);
    Flags = GetByte(buffer);
    buffer.Get(ReservedWords.data(), static_cast<int>(ReservedWords.size()));
    Tid = GetWord(buffer);
    Pid = GetWord(buffer);
    Uid = GetWord(buffer);
    Mid = GetWord(buffer);

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
