// Fuzz target: the line a second start sends to the running instance. A
// line that decodes is exactly the line its action encodes to; nothing else
// decodes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "app/core/pl_actions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const char> bytes(reinterpret_cast<const char*>(data), size);
    if (const auto action = PlDecodeAction(bytes)) {
        const std::string line = PlEncodeAction(*action);
        if (line.size() != size || line.compare(0, size, bytes.data(), size) != 0)
            std::abort();
    }
    return 0;
}
