#include "storage/pl_byte_buffer.h"

#include "storage/pl_storage_errors.h"

void PlByteBuffer::InsertGap(std::uint32_t pos, std::uint32_t count)
{
    if (pos > Size())
        throw PlOutOfBoundsErr();
    bytes_.insert(bytes_.begin() + pos, count, 0);
}

void PlByteBuffer::Remove(std::uint32_t pos, std::uint32_t count)
{
    if (pos > Size() || count > Size() - pos)
        throw PlOutOfBoundsErr();
    bytes_.erase(bytes_.begin() + pos, bytes_.begin() + pos + count);
}

void PlByteBuffer::PutU16(std::uint32_t pos, std::uint16_t v)
{
    bytes_[pos] = static_cast<std::uint8_t>(v);
    bytes_[pos + 1] = static_cast<std::uint8_t>(v >> 8);
}

void PlByteBuffer::PutU32(std::uint32_t pos, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        bytes_[pos + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
