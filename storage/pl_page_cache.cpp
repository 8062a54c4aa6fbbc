#include "storage/pl_page_cache.h"

#include <algorithm>

#include "storage/pl_storage_errors.h"

using namespace pl::page;

std::uint32_t PlPageCache::GetBlockCount()
{
    if (!blockCount_)
        blockCount_ = heap_.GetBlockCount();
    return *blockCount_;
}

bool PlPageCache::SetSize(std::uint32_t blockCount)
{
    const std::uint32_t old = GetBlockCount();
    blockCount_.reset();  // a failed SetSize leaves the count to be asked again
    runCount_ = 0;
    heap_.SetSize(blockCount);
    blockCount_ = blockCount;
    if (blockCount < old || blockCount - old > kLoggedChanges) {
        for (std::uint32_t b = blockCount; b < old; ++b)
            DropBlock(b);
        ForgetChanges();
    } else {
        for (std::uint32_t b = old; b < blockCount; ++b)
            Changed(b);
    }
    return true;
}

bool PlPageCache::ReadBlock(std::uint32_t idx, PlPage& page)
{
    page.bytes = Get(idx).bytes;
    page.pageNo = idx;
    return true;
}

bool PlPageCache::WriteBlock(std::uint32_t idx, const PlPage& page)
{
    // Forgotten before the write: a write that fails leaves the block
    // unknown, to be read again by everyone.
    Changed(idx);
    if (idx >= runFirst_ && idx - runFirst_ < runCount_)
        runCount_ = 0;
    std::optional<std::uint32_t> reuse;  // the block's own frame, when it is kept
    if (const auto it = frameOf_.find(idx); it != frameOf_.end())
        reuse = it->second;
    DropBlock(idx);
    heap_.WriteBlock(idx, page);
    Frame* frame = nullptr;
    if (reuse) {
        frameOf_[idx] = *reuse;
        frame = &frames_[*reuse];
        frame->lastUse = ++uses_;
    } else {
        frame = &FreeFrame(idx);
    }
    frame->page.bytes = page.bytes;
    frame->page.pageNo = idx;
    return true;
}

const PlPage& PlPageCache::Get(std::uint32_t idx)
{
    if (const auto it = frameOf_.find(idx); it != frameOf_.end()) {
        Frame& frame = frames_[it->second];
        frame.lastUse = ++uses_;
        return frame.page;
    }
    if (idx >= GetBlockCount())
        throw PlFileDatabaseError();
    Frame& frame = FreeFrame(idx);
    try {
        heap_.ReadBlock(idx, frame.page);
    } catch (...) {
        DropBlock(idx);
        throw;
    }
    return frame.page;
}

const PlPage& PlPageCache::GetForScan(std::uint32_t idx)
{
    if (const auto it = frameOf_.find(idx); it != frameOf_.end())
        return frames_[it->second].page;
    if (idx < runFirst_ || idx - runFirst_ >= runCount_)
        ReadRun(idx);
    return run_[idx - runFirst_];
}

void PlPageCache::ReadRun(std::uint32_t idx)
{
    const std::uint32_t count = GetBlockCount();
    if (idx >= count)
        throw PlFileDatabaseError();
    const std::uint32_t end = std::min(count, idx + kEntriesPerMap + 1);
    const std::uint32_t first = end > kRunBlocks ? end - kRunBlocks : 0;
    if (run_.size() < end - first)
        run_.resize(end - first);  // no larger than the file
    runCount_ = 0;
    try {
        heap_.ReadPages(first, end - first, run_.data());
        runFirst_ = first;
        runCount_ = end - first;
    } catch (const PlError&) {
        // Some block of the run cannot be read: read idx alone, so that only
        // its own failure is reported.
        heap_.ReadBlock(idx, run_[0]);
        runFirst_ = idx;
        runCount_ = 1;
    }
}

PlPageCache::Frame& PlPageCache::FreeFrame(std::uint32_t idx)
{
    std::uint32_t f = 0;
    if (frames_.size() < kKeptBlocks) {
        frames_.reserve(kKeptBlocks);  // views of earlier frames stay valid
        f = static_cast<std::uint32_t>(frames_.size());
        frames_.emplace_back();
    } else {
        f = static_cast<std::uint32_t>(
            std::min_element(frames_.begin(), frames_.end(),
                             [](const Frame& a, const Frame& b) { return a.lastUse < b.lastUse; }) -
            frames_.begin());
        frameOf_.erase(frames_[f].page.pageNo);
    }
    frameOf_[idx] = f;
    frames_[f].page.pageNo = idx;
    frames_[f].lastUse = ++uses_;
    return frames_[f];
}

void PlPageCache::DropBlock(std::uint32_t idx)
{
    const auto it = frameOf_.find(idx);
    if (it == frameOf_.end())
        return;
    frames_[it->second].lastUse = 0;  // the first to be taken again
    frames_[it->second].page.pageNo = kMaxBlocks;
    frameOf_.erase(it);
}

void PlPageCache::Changed(std::uint32_t idx)
{
    ++stamp_;
    log_.push_back(idx);
    if (log_.size() > kLoggedChanges)
        log_.pop_front();
}

void PlPageCache::ForgetChanges()
{
    knownSince_ = ++stamp_;
    log_.clear();
}

bool PlPageCache::ChangedSince(std::uint64_t stamp, std::vector<std::uint32_t>& blocks) const
{
    blocks.clear();
    if (stamp < knownSince_ || stamp > stamp_ || stamp_ - stamp > log_.size())
        return false;
    blocks.assign(log_.end() - static_cast<std::ptrdiff_t>(stamp_ - stamp), log_.end());
    std::sort(blocks.begin(), blocks.end());
    blocks.erase(std::unique(blocks.begin(), blocks.end()), blocks.end());
    return true;
}

void PlPageCache::Clear()
{
    frames_.clear();
    frameOf_.clear();
    run_.clear();
    runCount_ = 0;
    blockCount_.reset();
    ForgetChanges();
}
