#pragma once
// PlRegistryValue: one value of the per-user registry file, typed as the
// Windows registry types it. Text values (REG_SZ) hold their text without the
// terminating zero; every other type holds its raw data bytes.

#include <cstdint>
#include <string>
#include <string_view>

enum PlRegistryType : std::uint32_t {
    kPlRegNone = 0,
    kPlRegSz = 1,
    kPlRegBinary = 3,
    kPlRegDword = 4,
};

struct PlRegistryValue {
    std::uint32_t type = kPlRegNone;
    std::string data;

    static PlRegistryValue Text(std::string_view text);
    static PlRegistryValue Dword(std::uint32_t number);

    // The text of a REG_SZ value up to its first zero byte; empty for any
    // other type.
    std::string_view AsText() const;

    // The value read into a 32-bit number the way RegQueryValueExA fills a
    // DWORD: the first four data bytes, little-endian, missing bytes zero.
    std::uint32_t AsNumber() const;

    bool operator==(const PlRegistryValue&) const = default;
};
