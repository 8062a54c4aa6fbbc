#pragma once
// PlAbstractPageHeap: a store of numbered 4096-byte blocks, read and written
// whole, grown or cut at a block boundary. The seam between the database and
// its file: tests put a heap in memory or one that injects faults behind it.
// Failures are thrown (PlDatabaseErr family); boolean results are true
// whenever an operation returns.

#include <cstdint>

#include "storage/pl_page.h"

class PlAbstractPageHeap {
public:
    virtual ~PlAbstractPageHeap() = default;

    // Makes the store exactly blockCount blocks long; added blocks read as zeros.
    virtual bool SetSize(std::uint32_t blockCount) = 0;
    virtual std::uint32_t GetBlockCount() = 0;
    bool IsEmpty() { return GetBlockCount() == 0; }
    // Fills page from block idx and sets its page number to idx.
    // Throws PlFileDatabaseError when idx is not below the block count.
    virtual bool ReadBlock(std::uint32_t idx, PlPage& page) = 0;
    // Writes page to block idx, which must already exist (else PlFileDatabaseError).
    virtual bool WriteBlock(std::uint32_t idx, const PlPage& page) = 0;
    // Reads blocks [first, first + count) into pages[0 .. count), as count
    // ReadBlock calls would; heaps may do it in fewer transfers.
    virtual void ReadPages(std::uint32_t first, std::uint32_t count, PlPage* pages);
};

inline void PlAbstractPageHeap::ReadPages(std::uint32_t first, std::uint32_t count, PlPage* pages)
{
    for (std::uint32_t i = 0; i < count; ++i)
        ReadBlock(first + i, pages[i]);
}
