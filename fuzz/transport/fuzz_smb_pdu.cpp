// Decodes arbitrary bytes as an SMB frame (with its printer) and as every SMB
// messenger PDU, then encodes the result again: nothing may read or write
// outside its buffers, and a frame the strict decoder takes keeps its views
// inside the bytes.

#include "platform/smb/pl_smb_frame.h"
#include "transport/pdu/c_pdu_buffer.h"
#include "transport/pdu/c_smb_messenger_pdus.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>

namespace {

void DecodeAndEncode(CSmbPdu& pdu, CPduBuffer& input)
{
    pdu.Decode(input);
    CPduBuffer output;
    try {
        pdu.Encode(output);  // decoded texts can grow in UTF-8 beyond 1024 bytes
    } catch (const std::length_error&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    if (const auto frame = pl::smb::DecodeSmbFrame(bytes)) {
        if (frame->data.data() + frame->data.size() > data + size)
            __builtin_trap();
    }
    (void)pl::smb::DescribeSmb(bytes);
    CPduBuffer input;
    input.Put(data, static_cast<int>(std::min<std::size_t>(size, CPduBuffer::kCapacity)));
    CSmbPdu_sends sends;
    CSmbPdu_sendstrt start;
    CSmbPdu_sendtxt text;
    CSmbPdu_sendend end;
    DecodeAndEncode(sends, input);
    DecodeAndEncode(start, input);
    DecodeAndEncode(text, input);
    DecodeAndEncode(end, input);
    return 0;
}
