#include "storage/pl_mem_heap.h"

#include <cstring>

#include "storage/pl_storage_errors.h"

using namespace pl::page;

PlMemHeap::PlMemHeap(std::vector<std::uint8_t> image) : bytes_(std::move(image))
{
    std::size_t blocks = bytes_.size() / kPageSize;
    if (blocks > kMaxBlocks)
        blocks = kMaxBlocks;
    bytes_.resize(blocks * kPageSize);
}

bool PlMemHeap::SetSize(std::uint32_t blockCount)
{
    if (blockCount > kMaxBlocks)
        throw PlDatabaseErr(
            PlFormatDiagnostic("PlMemHeap::SetSize()", "blockCount > kMaxBlocks", {{"blockCount", blockCount}}));
    std::lock_guard guard(lock_);
    bytes_.resize(static_cast<std::size_t>(blockCount) * kPageSize, 0);
    return true;
}

std::uint32_t PlMemHeap::GetBlockCount()
{
    std::lock_guard guard(lock_);
    return static_cast<std::uint32_t>(bytes_.size() / kPageSize);
}

bool PlMemHeap::ReadBlock(std::uint32_t idx, PlPage& page)
{
    std::lock_guard guard(lock_);
    if (idx >= bytes_.size() / kPageSize)
        throw PlFileDatabaseError();
    page.pageNo = idx;
    page.bytes.Write(0, bytes_.data() + static_cast<std::size_t>(idx) * kPageSize, kPageSize);
    return true;
}

bool PlMemHeap::WriteBlock(std::uint32_t idx, const PlPage& page)
{
    std::lock_guard guard(lock_);
    if (idx >= bytes_.size() / kPageSize)
        throw PlFileDatabaseError();
    std::memcpy(bytes_.data() + static_cast<std::size_t>(idx) * kPageSize, page.bytes.Data(), kPageSize);
    return true;
}

std::vector<std::uint8_t> PlMemHeap::Image()
{
    std::lock_guard guard(lock_);
    return bytes_;
}
