// Fuzz target: the session service framer fed in pieces whose sizes come from
// the input, and the session request decoder on every packet it yields.

#include "platform/netbios/nbss_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t piece = data[0] % 64 + 1;
    pl::nb::NbssFramer framer;
    for (std::size_t pos = 1; pos < size; pos += piece) {
        if (!framer.Feed({data + pos, std::min(piece, size - pos)}))
            break;
        while (auto packet = framer.Next()) {
            (void)pl::nb::DescribeNbss(*packet);
            if (const auto request = pl::nb::DecodeSessionRequest(packet->payload))
                (void)pl::nb::EncodeSessionRequest(*request);
        }
    }
    return 0;
}
