#include "transport/mailslot/c_mailslot_pdu.h"

#include "platform/text/pl_codepage.h"
#include "transport/pdu/c_pdu_buffer.h"

#include <algorithm>

namespace {

void PutField(CPduBuffer& buffer, const std::string& text)
{
    const std::string oem = pl::AnsiToOem(text);
    buffer.Put(oem.data(), static_cast<int>(oem.size()));
    buffer.PutByte(0);
}

// The bytes from `position` to the next zero or `end`; moves past the zero.
std::string TakeField(const std::uint8_t* data, int& position, int end)
{
    const std::uint8_t* first = data + position;
    const std::uint8_t* last = std::find(first, data + end, 0);
    position = static_cast<int>(last - data) + (last == data + end ? 0 : 1);
    return pl::OemToAnsi(std::string(first, last));
}

}  // namespace

void CMailslotPdu::Encode(CPduBuffer& buffer)
{
    buffer.Clear();
    PutField(buffer, Originator);
    PutField(buffer, Destination);
    PutField(buffer, Text);
}

void CMailslotPdu::Decode(CPduBuffer& buffer)
{
    int position = 0;
    const int end = buffer.Length();
    Originator = TakeField(buffer.Data(), position, end);
    Destination = TakeField(buffer.Data(), position, end);
    Text = TakeField(buffer.Data(), position, end);
}

void CMailslotPdu::Reset()
{
    Originator.clear();
    Destination.clear();
    Text.clear();
}
