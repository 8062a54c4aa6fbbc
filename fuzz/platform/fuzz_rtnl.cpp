// Fuzz target: the rtnetlink decoder; what decodes prints, encodes again and
// decodes to the same messages.

#include "platform/netbios/nb_rtnl_codec.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto messages = pl::nb::DecodeRtnl({data, size});
    if (!messages)
        return 0;
    for (const auto& message : *messages) {
        const auto line = pl::nb::DescribeRtnl(message);
        if (message.kind == pl::nb::RtnlKind::Other)
            continue;  // only the header of other messages is kept
        const auto again = pl::nb::DecodeRtnl(pl::nb::EncodeRtnl(message));
        if (!again || again->size() != 1 || pl::nb::DescribeRtnl(again->front()) != line)
            std::abort();
    }
    return 0;
}
