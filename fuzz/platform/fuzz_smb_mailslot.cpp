// Decodes arbitrary bytes as the SMB transaction of a mailslot write; what
// decodes must encode again and decode to the same mailslot and data.

#include "platform/netbios/nb_mailslot_codec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto write = pl::nb::DecodeMailslotWrite({data, size});
    if (!write)
        return 0;
    (void)pl::nb::DescribeMailslotWrite(*write);
    const auto bytes = pl::nb::EncodeMailslotWrite(*write);
    if (bytes.empty())
        return 0;  // a name with a NUL cannot occur; too long for one datagram can
    const auto again = pl::nb::DecodeMailslotWrite(bytes);
    if (!again || again->mailslot != write->mailslot || again->data != write->data)
        std::abort();
    return 0;
}
