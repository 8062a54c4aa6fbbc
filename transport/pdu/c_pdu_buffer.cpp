#include "transport/pdu/c_pdu_buffer.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

void CPduBuffer::Put(const void* bytes, int n)
{
    if (n < 0 || n > kCapacity - writePos_)
        throw std::length_error("CPduBuffer::Put past the 1024-byte buffer");
    if (n > 0)
        std::memcpy(data_.data() + writePos_, bytes, static_cast<std::size_t>(n));
    writePos_ += n;
}

int CPduBuffer::Get(void* bytes, int n)
{
    if (n <= 0)
        return 0;
    const int available = std::clamp(writePos_ - readPos_, 0, n);
    auto* out = static_cast<std::uint8_t*>(bytes);
    std::memcpy(out, data_.data() + readPos_, static_cast<std::size_t>(available));
    std::memset(out + available, 0, static_cast<std::size_t>(n - available));
    readPos_ += available;
    return available;
}

void CPduBuffer::Seek(int position)
{
    readPos_ = std::clamp(position, 0, writePos_);
}

void CPduBuffer::SetLength(int length)
{
    if (length < 0 || length > kCapacity)
        throw std::length_error("CPduBuffer length outside the 1024-byte buffer");
    writePos_ = length;
    readPos_ = std::min(readPos_, writePos_);
}
