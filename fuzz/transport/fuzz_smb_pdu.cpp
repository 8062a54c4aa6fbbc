// Decodes arbitrary bytes as every SMB messenger PDU, then encodes the result
// again: nothing may read or write outside its buffers.

#include "transport/pdu/c_pdu_buffer.h"
#include "transport/pdu/c_smb_messenger_pdus.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
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
