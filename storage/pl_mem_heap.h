#pragma once
// PlMemHeap: a block store in memory, with the semantics of the file heap.
// Used by tests and by the fuzz target, and to look at a file image read
// elsewhere. Thread-safe.

#include <cstdint>
#include <mutex>
#include <vector>

#include "storage/pl_abstract_page_heap.h"

class PlMemHeap : public PlAbstractPageHeap {
public:
    PlMemHeap() = default;
    // Takes a file image; a trailing partial block is ignored, as in a file.
    explicit PlMemHeap(std::vector<std::uint8_t> image);

    bool SetSize(std::uint32_t blockCount) override;
    std::uint32_t GetBlockCount() override;
    bool ReadBlock(std::uint32_t idx, PlPage& page) override;
    bool WriteBlock(std::uint32_t idx, const PlPage& page) override;

    // A copy of the whole store, as the file would hold it.
    std::vector<std::uint8_t> Image();

private:
    std::mutex lock_;
    std::vector<std::uint8_t> bytes_;
};
