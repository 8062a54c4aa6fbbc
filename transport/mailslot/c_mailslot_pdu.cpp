#include "transport/mailslot/c_mailslot_pdu.h"

#include "platform/text/pl_codepage.h"
#include "platform/text/pl_message_text.h"
#include "transport/pdu/c_pdu_buffer.h"

#include <algorithm>

namespace {

void PutField(CPduBuffer& buffer, const std::string& bytes)
{
    buffer.Put(bytes.data(), static_cast<int>(bytes.size()));
    buffer.PutByte(0);
}

// The bytes from `position` to the next zero or `end`; moves past the zero.
std::string TakeField(const std::uint8_t* data, int& position, int end)
{
    const std::uint8_t* first = data + position;
    const std::uint8_t* last = std::find(first, data + end, 0);
    position = static_cast<int>(last - data) + (last == data + end ? 0 : 1);
    return std::string(first, last);
}

}  // namespace

void CMailslotPdu::Encode(CPduBuffer& buffer)
{
    buffer.Clear();
    PutField(buffer, pl::AnsiToOem(Originator));
    PutField(buffer, pl::AnsiToOem(Destination));
    PutField(buffer, pl::EncodeMessageText(Text));
}

std::size_t CMailslotPdu::EncodedSize() const
{
    return pl::AnsiToOem(Originator).size() + pl::AnsiToOem(Destination).size() + pl::EncodeMessageText(Text).size() +
           3;
}

void CMailslotPdu::Decode(CPduBuffer& buffer)
{
    int position = 0;
    const int end = buffer.Length();
    Originator = pl::OemToAnsi(TakeField(buffer.Data(), position, end));
    Destination = pl::OemToAnsi(TakeField(buffer.Data(), position, end));
    Text = pl::DecodeMessageText(TakeField(buffer.Data(), position, end));
}

void CMailslotPdu::Reset()
{
    Originator.clear();
    Destination.clear();
    Text.clear();
}
