#pragma once
// Little-endian numbers in byte strings, as SMB, the browser protocol and
// the archive's pages store them (least significant byte first). Readers take
// a span and an offset; a read past the end reads zeros, so a decoder that
// checked its lengths never reads outside its bytes and one that forgot
// cannot either. Writers append to a vector or store at a position.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace pl {

inline std::uint8_t ByteAt(std::span<const std::uint8_t> data, std::size_t offset)
{
    return offset < data.size() ? data[offset] : std::uint8_t{0};
}

inline std::uint16_t GetLe16(std::span<const std::uint8_t> data, std::size_t offset)
{
    return static_cast<std::uint16_t>(ByteAt(data, offset) | ByteAt(data, offset + 1) << 8);
}

inline std::uint32_t GetLe32(std::span<const std::uint8_t> data, std::size_t offset)
{
    return GetLe16(data, offset) | static_cast<std::uint32_t>(GetLe16(data, offset + 2)) << 16;
}

inline std::uint64_t GetLe64(std::span<const std::uint8_t> data, std::size_t offset)
{
    return GetLe32(data, offset) | static_cast<std::uint64_t>(GetLe32(data, offset + 4)) << 32;
}

inline void PutLe16(std::vector<std::uint8_t>& out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    PutLe16(out, static_cast<std::uint16_t>(value));
    PutLe16(out, static_cast<std::uint16_t>(value >> 16));
}

// Unchecked loads from `p`, which must hold the value's bytes: one machine
// load on little-endian hosts (the storage engine's hot paths).
inline std::uint16_t LoadLe16(const std::uint8_t* p)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::uint16_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t LoadLe32(const std::uint8_t* p)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::uint32_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    return LoadLe16(p) | static_cast<std::uint32_t>(LoadLe16(p + 2)) << 16;
}

inline std::uint64_t LoadLe64(const std::uint8_t* p)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::uint64_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    return LoadLe32(p) | static_cast<std::uint64_t>(LoadLe32(p + 4)) << 32;
}

// Stores at `at`, which must hold the value's bytes.
inline void StoreLe16(std::uint8_t* at, std::uint16_t value)
{
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

inline void StoreLe32(std::uint8_t* at, std::uint32_t value)
{
    StoreLe16(at, static_cast<std::uint16_t>(value));
    StoreLe16(at + 2, static_cast<std::uint16_t>(value >> 16));
}

}  // namespace pl
