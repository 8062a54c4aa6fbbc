#include "storage/pl_scanner.h"

#include <limits>

#include "storage/pl_meta_pages.h"

using namespace pl::page;

std::shared_ptr<const PlSnapshot> PlScanner::Scan(PlPageCache& cache, PlDbFilter& filter)
{
    auto snapshot = std::make_shared<PlSnapshot>();
    partial_.reset();
    try {
        ScanChain(cache, filter, *snapshot);
    } catch (...) {
        // A scan ends silently with what it took: the rows so far stay, and so
        // do the rows a throwing filter took from its page.
        if (partial_)
            snapshot->Append(partial_);
        partial_.reset();
    }
    return snapshot;
}

void PlScanner::ScanChain(PlPageCache& cache, PlDbFilter& filter, PlSnapshot& snapshot)
{
    filter.Begin();
    std::optional<std::string> key = filter.ResultKey();
    if (!key || key != key_)
        memo_.clear();
    key_ = std::move(key);

    const std::shared_ptr<const PlPageImage> header = cache.Image(0);
    if (!pl::meta_page::IsHeaderPage(header->page) || pl::meta_page::FirstMap(header->page) == 0)
        return;
    bool lastContinue = true;
    // The allocator appends map pages, so the chain runs backwards to ever
    // lower blocks; a damaged chain that does not is not followed.
    std::uint32_t bound = std::numeric_limits<std::uint32_t>::max();
    for (std::uint32_t m = pl::meta_page::LastMap(header->page); m != 0 && m < bound;) {
        const std::shared_ptr<const PlPageImage> map = cache.Image(m);
        if (!pl::meta_page::IsMapPage(map->page))
            return;
        for (int e = kEntriesPerMap - 1; e >= 0; --e) {
            const std::uint8_t entry = pl::meta_page::Entry(map->page, static_cast<std::uint32_t>(e));
            if (!pl::meta_page::IsAllocated(entry) || pl::meta_page::IsEmptyPage(entry))
                continue;
            std::shared_ptr<const PlPageRows> rows = PageRows(cache.Image(m + 1 + e), filter);
            if (rows->visited)
                lastContinue = rows->lastContinue;
            snapshot.Append(std::move(rows));
        }
        if (!lastContinue)
            return;
        bound = m;
        m = pl::meta_page::PrevMap(map->page);
    }
}

std::shared_ptr<const PlPageRows> PlScanner::PageRows(const std::shared_ptr<const PlPageImage>& image,
                                                      PlDbFilter& filter)
{
    const std::uint32_t pageNo = image->page.pageNo;
    const bool memoize = key_.has_value();
    if (memoize && pageNo < memo_.size() && memo_[pageNo] && memo_[pageNo]->image == image)
        return memo_[pageNo];

    partial_ = std::make_shared<PlPageRows>();
    partial_->image = image;
    if (image->dataState != pl::data_page::State::kDamaged) {
        const PlPage& page = image->page;
        for (std::uint32_t k = pl::data_page::SlotCount(page); k-- > 0;) {
            row_.Assign(page.bytes.At(pl::data_page::SlotOffset(page, k)), pl::data_page::SlotLength(page, k));
            const bool accept = filter.Accept(row_);
            const bool goOn = filter.Continue(row_);
            partial_->visited = true;
            partial_->lastContinue = goOn;
            if (!goOn)
                break;
            if (accept)
                partial_->slots.push_back(static_cast<std::uint16_t>(k));
        }
    }
    std::shared_ptr<const PlPageRows> rows = std::move(partial_);
    if (memoize) {
        if (pageNo >= memo_.size())
            memo_.resize(pageNo + 1);
        memo_[pageNo] = rows;
    }
    return rows;
}
