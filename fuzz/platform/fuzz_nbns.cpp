// Fuzz target: the NBNS decoder with its record data decoders; what decodes
// must encode again and decode to the same header.

#include "platform/netbios/nbns_codec.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto packet = pl::nb::DecodeNbns({data, size});
    if (!packet)
        return 0;
    (void)pl::nb::DescribeNbns(*packet);
    for (const auto* section : {&packet->answers, &packet->additionals}) {
        for (const auto& record : *section) {
            (void)pl::nb::DecodeNbRdata(record.rdata);
            (void)pl::nb::DecodeNodeStatus(record.rdata);
        }
    }
    const auto again = pl::nb::DecodeNbns(pl::nb::EncodeNbns(*packet));
    if (!again || again->transactionId != packet->transactionId || again->questions != packet->questions ||
        again->answers.size() != packet->answers.size())
        std::abort();
    return 0;
}
