#pragma once
// Little-endian reads and writes for the SMB and browser codecs, which unlike
// the NetBIOS headers store their numbers least significant byte first.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace pl::nb {

inline std::uint16_t GetLe16(std::span<const std::uint8_t> data, std::size_t offset)
{
    return static_cast<std::uint16_t>(data[offset] | data[offset + 1] << 8);
}

inline std::uint32_t GetLe32(std::span<const std::uint8_t> data, std::size_t offset)
{
    return static_cast<std::uint32_t>(GetLe16(data, offset)) | static_cast<std::uint32_t>(GetLe16(data, offset + 2))
                                                                   << 16;
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

}  // namespace pl::nb
