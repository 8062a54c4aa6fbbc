// Fuzz target: hot-key values as the registry file may hold them (any 32-bit
// number): the grab they ask for, its key symbol, and the text people read,
// which names a key whenever the value has one.

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/hotkeys/pl_hot_key_value.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::uint32_t value = 0;
    std::memcpy(&value, data, std::min(size, sizeof value));
    const auto key = pl::PlHotKeyFromValue(value);
    const std::string text = pl::PlHotKeyText(value);
    if (key.has_value() != !text.empty())
        std::abort();
    if (key) {
        (void)pl::PlKeySymOfVirtualKey(key->virtualKey, key->extended);
        if ((key->modifiers & ~(pl::kModAlt | pl::kModControl | pl::kModShift)) != 0)
            std::abort();
    }
    return 0;
}
