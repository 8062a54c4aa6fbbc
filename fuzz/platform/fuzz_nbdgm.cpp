// Fuzz target: the datagram service decoder; what decodes must encode again
// to a datagram that decodes the same.

#include "platform/netbios/nbdgm_codec.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto datagram = pl::nb::DecodeDatagram({data, size});
    if (!datagram)
        return 0;
    (void)pl::nb::DescribeDatagram(*datagram);
    const auto again = pl::nb::DecodeDatagram(pl::nb::EncodeDatagram(*datagram));
    if (!again || again->type != datagram->type || again->data != datagram->data ||
        again->destination != datagram->destination)
        std::abort();
    return 0;
}
