// Fuzz target: the configuration file parser and the lmhosts parser (the part
// before the first NUL byte is a configuration file, the rest an lmhosts file).

#include "platform/netbios/nb_lmhosts.h"
#include "platform/netbios/netbt_config.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto split = input.find('\0');
    try {
        (void)pl::nb::ParseNetbtConfig(input.substr(0, split), "fuzz.conf");
    } catch (const pl::nb::PlNetbtConfigErr&) {
    }
    if (split == std::string_view::npos)
        return 0;
    try {
        (void)pl::nb::ParseLmhosts(input.substr(split + 1), "lmhosts");
    } catch (const pl::nb::PlNetbtConfigErr&) {
    }
    return 0;
}
