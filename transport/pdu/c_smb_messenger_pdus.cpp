#include "transport/pdu/c_smb_messenger_pdus.h"

#include "platform/bytes/pl_le_bytes.h"
#include "platform/text/pl_codepage.h"
#include "platform/text/pl_message_text.h"
#include "transport/pdu/c_pdu_buffer.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace {

constexpr std::uint8_t kAsciiFormat = 0x04;  // a zero-terminated string follows
constexpr std::uint8_t kBlockFormat = 0x01;  // a 16-bit count and that many bytes follow

void PutString(CPduBuffer& scratch, const std::string& ansi)
{
    const std::string oem = pl::AnsiToOem(ansi);
    scratch.PutByte(kAsciiFormat);
    scratch.Put(oem.data(), static_cast<int>(oem.size()));
    scratch.PutByte(0x00);
}

// The text block: the bytes a sender set, else the message text codec's bytes.
void PutBlock(CPduBuffer& scratch, const std::string& ansi, const std::string& bytes)
{
    const std::string wire = bytes.empty() ? pl::EncodeMessageText(ansi) : bytes;
    const auto length = static_cast<std::uint16_t>(wire.size());
    scratch.PutByte(kBlockFormat);
    std::uint8_t count[2];
    pl::StoreLe16(count, length);
    scratch.Put(count, 2);
    scratch.Put(wire.data(), static_cast<int>(wire.size()));
}

// Reads the data section by the messenger's rules without ever reaching its end.
class DataReader {
public:
    explicit DataReader(std::string_view data, std::size_t start) : data_(data), index_(std::min(start, data.size())) {}

    std::string String()
    {
        const std::size_t end = std::min(data_.find('\0', index_), data_.size());
        std::string text(data_.substr(index_, end - index_));
        index_ = end;
        return pl::OemToAnsi(text);
    }
    void Skip(std::size_t n) { index_ = std::min(index_ + n, data_.size()); }
    std::uint16_t Count()
    {
        const auto count = pl::GetLe16({reinterpret_cast<const std::uint8_t*>(data_.data()), data_.size()}, index_);
        Skip(2);
        return count;
    }
    std::string Bytes(std::size_t n) { return std::string(data_.substr(index_, n)); }

private:
    std::string_view data_;
    std::size_t index_;
};

}  // namespace

void CSmbPdu_sends::Reset()
{
    CSmbPdu::Reset();
    Command = static_cast<std::uint8_t>(SmbMessengerCommand::SendSingle);
    Originator.clear();
    Destination.clear();
    Text.clear();
    textBytes_.clear();
}

void CSmbPdu_sends::BuildData(CPduBuffer& scratch)
{
    if (Originator.empty() || Destination.empty())
        return;
    PutString(scratch, Originator);
    PutString(scratch, Destination);
    PutBlock(scratch, Text, textBytes_);
}

void CSmbPdu_sends::ParseData()
{
    DataReader reader(Data(), 1);
    Originator = reader.String();
    reader.Skip(2);
    Destination = reader.String();
    reader.Skip(2);
    const std::uint16_t length = reader.Count();
    textBytes_ = reader.Bytes(length);
    Text = pl::DecodeMessageText(textBytes_);
}

void CSmbPdu_sendstrt::Reset()
{
    CSmbPdu::Reset();
    Command = static_cast<std::uint8_t>(SmbMessengerCommand::SendStart);
    Originator.clear();
    Destination.clear();
}

void CSmbPdu_sendstrt::BuildData(CPduBuffer& scratch)
{
    if (Originator.empty() || Destination.empty())
        return;
    PutString(scratch, Originator);
    PutString(scratch, Destination);
}

void CSmbPdu_sendstrt::ParseData()
{
    DataReader reader(Data(), 1);
    Originator = reader.String();
    reader.Skip(2);
    Destination = reader.String();
}

void CSmbPdu_sendtxt::Reset()
{
    CSmbPdu::Reset();
    Command = static_cast<std::uint8_t>(SmbMessengerCommand::SendText);
    Text.clear();
    textBytes_.clear();
}

void CSmbPdu_sendtxt::BuildData(CPduBuffer& scratch)
{
    if (!Text.empty() || !textBytes_.empty())
        PutBlock(scratch, Text, textBytes_);
}

void CSmbPdu_sendtxt::ParseData()
{
    Text.clear();
    textBytes_.clear();
    if (ByteCount <= 2)
        return;
    DataReader reader(Data(), 1);
    const std::uint16_t length = reader.Count();
    textBytes_ = reader.Bytes(length);
    Text = pl::DecodeMessageText(textBytes_);
}

void CSmbPdu_sendend::Reset()
{
    CSmbPdu::Reset();
    Command = static_cast<std::uint8_t>(SmbMessengerCommand::SendEnd);
}
