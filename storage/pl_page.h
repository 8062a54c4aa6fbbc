#pragma once
// PlPage: one 4096-byte block in memory and the number of the block it was
// read from or is about to be written to. Always zero-filled when created.

#include <cstdint>

#include "storage/page_format.h"
#include "storage/pl_byte_buffer.h"

class PlPage {
public:
    PlPage() : bytes(pl_format::kPageSize) {}
    // A copy of the 4096 bytes at data, as block pageNo.
    PlPage(const std::uint8_t* data, std::uint32_t number) : pageNo(number)
    {
        bytes.Assign(data, pl_format::kPageSize);
    }

    PlByteBuffer bytes;
    std::uint32_t pageNo = 0;
};
