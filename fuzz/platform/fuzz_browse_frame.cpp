// Decodes arbitrary bytes as a browser frame; an announcement that decodes
// must encode again and keep its name and server type.

#include "platform/netbios/nb_browse_codec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto frame = pl::nb::DecodeBrowseFrame({data, size});
    if (!frame)
        return 0;
    (void)pl::nb::DescribeBrowseFrame(*frame);
    if (!frame->announcement)
        return 0;
    const auto again = pl::nb::DecodeBrowseFrame(pl::nb::EncodeAnnouncement(*frame->announcement));
    if (!again || !again->announcement || again->announcement->serverType != frame->announcement->serverType)
        std::abort();
    return 0;
}
