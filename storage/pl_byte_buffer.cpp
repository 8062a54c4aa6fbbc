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
