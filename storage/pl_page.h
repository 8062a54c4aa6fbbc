#pragma once
// PlPage: one 4096-byte block in memory and the number of the block it was
// read from or is about to be written to. Always zero-filled when created.

#include <cstdint>

#include "storage/page_format.h"
#include "storage/pl_byte_buffer.h"

class PlPage {
public:
    PlPage() : bytes(pl::page::kPageSize) {}
    // A copy of the 4096 bytes at data, as block pageNo.
    PlPage(const std::uint8_t* data, std::uint32_t number) : pageNo(number) { bytes.Assign(data, pl::page::kPageSize); }

    PlByteBuffer bytes;
    std::uint32_t pageNo = 0;
};
