#pragma once
// PlByteBuffer: a growable byte array owned by value, with unaligned
// little-endian access. InsertGap and Remove check their position and throw
// PlOutOfBoundsErr; the Get/Put accessors do not check: callers keep every
// position within Size().

#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/bytes/pl_le_bytes.h"

class PlByteBuffer {
public:
    PlByteBuffer() = default;
    // Zero-construct: n bytes, all zero.
    explicit PlByteBuffer(std::uint32_t n) : bytes_(n, 0) {}

    // Drops the contents; the n new bytes are zero.
    void Resize(std::uint32_t n) { bytes_.assign(n, 0); }
    // Keeps the first min(Size(), n) bytes; new bytes are zero.
    void Realloc(std::uint32_t n) { bytes_.resize(n, 0); }
    // Inline: a scan assigns every row it reads.
    void Assign(const void* bytes, std::uint32_t n)
    {
        const auto* from = static_cast<const std::uint8_t*>(bytes);
        bytes_.assign(from, from + n);
    }

    // Opens count bytes at pos, moving [pos, Size()) up. Throws PlOutOfBoundsErr
    // when pos > Size(), changing nothing.
    void InsertGap(std::uint32_t pos, std::uint32_t count);
    // Removes count bytes at pos. Throws PlOutOfBoundsErr when pos > Size() or
    // pos + count > Size(), changing nothing.
    void Remove(std::uint32_t pos, std::uint32_t count);

    std::uint32_t Size() const { return static_cast<std::uint32_t>(bytes_.size()); }
    std::uint8_t* Data() { return bytes_.data(); }
    const std::uint8_t* Data() const { return bytes_.data(); }
    std::uint8_t* At(std::uint32_t pos) { return bytes_.data() + pos; }
    const std::uint8_t* At(std::uint32_t pos) const { return bytes_.data() + pos; }

    std::uint8_t GetByte(std::uint32_t pos) const { return bytes_[pos]; }
    void PutByte(std::uint32_t pos, std::uint8_t v) { bytes_[pos] = v; }
    std::uint16_t GetU16(std::uint32_t pos) const { return pl::LoadLe16(bytes_.data() + pos); }
    void PutU16(std::uint32_t pos, std::uint16_t v) { pl::StoreLe16(bytes_.data() + pos, v); }
    std::uint32_t GetU32(std::uint32_t pos) const { return pl::LoadLe32(bytes_.data() + pos); }
    void PutU32(std::uint32_t pos, std::uint32_t v) { pl::StoreLe32(bytes_.data() + pos, v); }
    void Write(std::uint32_t pos, const void* bytes, std::uint32_t n)
    {
        if (n > 0)
            std::memcpy(bytes_.data() + pos, bytes, n);
    }

    bool operator==(const PlByteBuffer& other) const = default;

private:
    std::vector<std::uint8_t> bytes_;
};
