#include "storage/pl_page_cache.h"

#include "storage/pl_storage_errors.h"

using namespace pl::page;

std::shared_ptr<const PlPageImage> PlPageCache::MakeImage(const std::uint8_t* bytes, std::uint32_t idx)
{
    auto image = std::make_shared<PlPageImage>(PlPage(bytes, idx));
    image->dataState = pl::data_page::Check(image->page);
    return image;
}

void PlPageCache::LoadAll()
{
    loaded_ = true;
    const std::uint32_t count = blockCount_ = heap_.GetBlockCount();
    images_.assign(count, nullptr);
    const auto bytes = std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(count) * kPageSize);
    try {
        heap_.ReadBlocks(0, count, bytes.get());
    } catch (const PlError&) {
        return;  // each block is then read alone, and its own failure reported
    }
    for (std::uint32_t i = 0; i < count; ++i)
        images_[i] = MakeImage(bytes.get() + static_cast<std::size_t>(i) * kPageSize, i);
}

std::shared_ptr<const PlPageImage> PlPageCache::Image(std::uint32_t idx)
{
    if (!loaded_)
        LoadAll();
    if (idx >= blockCount_)
        throw PlFileDatabaseError();
    if (idx >= images_.size())
        images_.resize(idx + 1);
    if (!images_[idx]) {
        PlPage page;
        heap_.ReadBlock(idx, page);
        images_[idx] = MakeImage(page.bytes.Data(), idx);
    }
    return images_[idx];
}

std::uint32_t PlPageCache::GetBlockCount()
{
    if (!loaded_)
        LoadAll();
    return blockCount_;
}

bool PlPageCache::SetSize(std::uint32_t blockCount)
{
    if (!loaded_)
        LoadAll();
    heap_.SetSize(blockCount);
    blockCount_ = blockCount;
    if (images_.size() > blockCount)
        images_.resize(blockCount);
    return true;
}

bool PlPageCache::ReadBlock(std::uint32_t idx, PlPage& page)
{
    const std::shared_ptr<const PlPageImage> image = Image(idx);
    page.bytes = image->page.bytes;
    page.pageNo = idx;
    return true;
}

bool PlPageCache::WriteBlock(std::uint32_t idx, const PlPage& page)
{
    if (idx < images_.size())
        images_[idx].reset();  // a failed write leaves the block to be read again
    heap_.WriteBlock(idx, page);
    if (idx >= images_.size())
        images_.resize(idx + 1);
    images_[idx] = MakeImage(page.bytes.Data(), idx);
    return true;
}

void PlPageCache::Clear()
{
    images_.clear();
    loaded_ = false;
}
