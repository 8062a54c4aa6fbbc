#pragma once
// Big-endian reads and writes for the NetBIOS codecs. Readers check the
// remaining length before every read and report failure instead of throwing.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace pl::nb {

class NbReader {
public:
    explicit NbReader(std::span<const std::uint8_t> data, std::size_t offset = 0) : data_(data), pos_(offset) {}

    bool U8(std::uint8_t& value)
    {
        if (Remaining() < 1)
            return false;
        value = data_[pos_++];
        return true;
    }
    bool U16(std::uint16_t& value)
    {
        if (Remaining() < 2)
            return false;
        value = static_cast<std::uint16_t>(data_[pos_] << 8 | data_[pos_ + 1]);
        pos_ += 2;
        return true;
    }
    bool U32(std::uint32_t& value)
    {
        if (Remaining() < 4)
            return false;
        value = static_cast<std::uint32_t>(data_[pos_]) << 24 | static_cast<std::uint32_t>(data_[pos_ + 1]) << 16 |
                static_cast<std::uint32_t>(data_[pos_ + 2]) << 8 | data_[pos_ + 3];
        pos_ += 4;
        return true;
    }
    bool Bytes(std::size_t count, std::span<const std::uint8_t>& out)
    {
        if (Remaining() < count)
            return false;
        out = data_.subspan(pos_, count);
        pos_ += count;
        return true;
    }
    std::size_t Remaining() const { return data_.size() - pos_; }
    std::size_t& Position() { return pos_; }
    std::span<const std::uint8_t> Data() const { return data_; }

private:
    std::span<const std::uint8_t> data_;
    std::size_t pos_;
};

inline void PutU16(std::vector<std::uint8_t>& out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

inline void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    PutU16(out, static_cast<std::uint16_t>(value >> 16));
    PutU16(out, static_cast<std::uint16_t>(value));
}

}  // namespace pl::nb
