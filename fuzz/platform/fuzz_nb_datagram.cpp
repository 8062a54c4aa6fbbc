// Decodes arbitrary bytes as a NetBIOS datagram and, when that succeeds, its
// data as a mailslot write and a browser frame, as the provider does with
// every datagram it receives; a decoded datagram must encode again.

#include "platform/netbios/nb_browse_codec.h"
#include "platform/netbios/nb_mailslot_codec.h"
#include "platform/netbios/nbdgm_codec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto datagram = pl::nb::DecodeDatagram({data, size});
    if (!datagram)
        return 0;
    (void)pl::nb::EncodeDatagram(*datagram);
    (void)pl::nb::DescribeDatagram(*datagram);
    if (const auto write = pl::nb::DecodeMailslotWrite(datagram->data)) {
        if (const auto frame = pl::nb::DecodeBrowseFrame(write->data))
            (void)pl::nb::DescribeBrowseFrame(*frame);
    }
    return 0;
}
