// Reads arbitrary bytes as the per-user registry file, writes the result and
// reads that again: nothing may crash, and what was written must read back
// to the same file (the writer's output is a fixed point).

#include "platform/config/pl_config_text.h"
#include "platform/registry/pl_regedit4.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const pl::regedit4::ParseResult first = pl::regedit4::Parse(pl::DecodeConfigText(bytes));
    for (const PlRegistryHive::Key& key : first.hive.Keys())
        for (const auto& [name, value] : key.values) {
            (void)value.AsNumber();
            (void)value.AsText();
        }
    const std::string written = pl::regedit4::Format(first.hive);
    const pl::regedit4::ParseResult second = pl::regedit4::Parse(pl::DecodeConfigText(written));
    if (second.damagedLines != 0 || pl::regedit4::Format(second.hive) != written)
        std::abort();
    return 0;
}
