#include "storage/pl_scanner.h"

#include <algorithm>
#include <limits>

#include "storage/pl_data_page.h"
#include "storage/pl_meta_pages.h"

using namespace pl::page;

// What one refresh works with.
struct PlScanner::Pass {
    PlPageCache& cache;
    PlDbFilter& filter;
    const PlSnapshot* old;  // the last snapshot, when its groups may be kept
    bool keyed;             // the filter has a result key
    std::optional<std::uint64_t> threshold;
    std::uint64_t Threshold() const { return threshold.value_or(0); }
};

std::shared_ptr<const PlSnapshot> PlScanner::Scan(PlPageCache& cache, PlDbFilter& filter)
{
    const std::uint64_t stamp = cache.Stamp();
    std::optional<std::string> key;
    std::optional<std::uint64_t> threshold;
    try {
        filter.Begin();
        key = filter.ResultKey();
        if (key)
            threshold = filter.ContinueThreshold();
    } catch (...) {
        reusable_ = false;
        return last_ = std::make_shared<PlSnapshot>();
    }
    const bool reuse = reusable_ && key && key == key_ && threshold.has_value() == threshold_.has_value() &&
                       cache.ChangedSince(stamp_, changed_);
    if (!reuse)
        changed_.clear();
    Pass pass{cache, filter, reuse ? last_.get() : nullptr, key.has_value(), threshold};
    std::shared_ptr<const PlSnapshot> snapshot = Walk(pass);
    reusable_ = key.has_value() && end_ != End::kError;
    key_ = std::move(key);
    threshold_ = threshold;
    stamp_ = stamp;
    return last_ = std::move(snapshot);
}

bool PlScanner::Changed(std::uint32_t block) const
{
    return std::binary_search(changed_.begin(), changed_.end(), block);
}

bool PlScanner::Changed(const PlScanGroup& group) const
{
    const auto it = std::lower_bound(changed_.begin(), changed_.end(), group.map);
    return it != changed_.end() && *it - group.map <= kEntriesPerMap;
}

void PlScanner::ReadHeader(Pass& pass)
{
    const PlPage& header = pass.cache.Get(0);
    headerUsable_ = pl::meta_page::IsHeaderPage(header) && pl::meta_page::FirstMap(header) != 0;
    lastMap_ = pl::meta_page::LastMap(header);
}

std::shared_ptr<const PlSnapshot> PlScanner::Walk(Pass& pass)
{
    const PlSnapshot* old = pass.old;
    // The oldest group of the last snapshot that a change touched, and
    // whether the last scan would end the same way again.
    std::int32_t firstChanged = std::numeric_limits<std::int32_t>::max();
    if (old)
        for (const std::uint32_t block : changed_)
            if (const std::int32_t g = old->FindCovering(block); g >= 0)
                firstChanged = std::min(firstChanged, g);
    const bool sameEnd =
        old && (end_ == End::kStop || end_ == End::kChainEnd || (end_ == End::kNotMap && !Changed(endBlock_)));
    const bool sameThreshold = old && threshold_ == pass.threshold;

    std::vector<PlScanGroup> newer;  // newest first
    std::int32_t keep = -1;
    End end = End::kError;
    std::uint32_t endBlock = 0;
    PlScanGroup group;
    bool reading = false;
    try {
        if (!old || Changed(0))
            ReadHeader(pass);
        std::uint32_t bound = std::numeric_limits<std::uint32_t>::max();
        // The allocator appends map pages, so the chain runs backwards to ever
        // lower blocks; a damaged chain that does not is not followed.
        for (std::uint32_t m = lastMap_; headerUsable_;) {
            if (m == 0 || m >= bound) {
                end = End::kChainEnd;
                break;
            }
            const std::int32_t k = old ? old->FindMap(m) : -1;
            const PlScanGroup* before = k >= 0 ? &old->GroupAt(k) : nullptr;
            if (before && !Changed(*before)) {
                if (sameThreshold && sameEnd && k < firstChanged) {
                    keep = k;  // this group and every older one are as they were
                    end = end_;
                    endBlock = endBlock_;
                    break;
                }
                newer.push_back(*before);
                newer.back().Retake(pass.Threshold());
            } else {
                group = PlScanGroup{};
                reading = true;
                if (!ReadGroup(pass, m, before, group)) {
                    end = End::kNotMap;
                    endBlock = m;
                    break;
                }
                reading = false;
                newer.push_back(std::move(group));
            }
            if (!newer.back().lastContinue) {
                end = End::kStop;
                break;
            }
            bound = m;
            m = newer.back().prev;
        }
        if (!headerUsable_)
            end = End::kEmpty;
    } catch (...) {
        // A scan ends silently with what it took, including the rows a
        // throwing filter took from its page.
        if (reading && group.pageCount > 0)
            newer.push_back(std::move(group));
        end = End::kError;
    }
    end_ = end;
    endBlock_ = endBlock;
    std::reverse(newer.begin(), newer.end());
    return std::make_shared<PlSnapshot>(old, keep, std::move(newer));
}

bool PlScanner::ReadGroup(Pass& pass, std::uint32_t m, const PlScanGroup* before, PlScanGroup& group)
{
    std::uint8_t entries[kEntriesPerMap];
    {
        const PlPage& map = pass.cache.GetForScan(m);
        if (!pl::meta_page::IsMapPage(map))
            return false;
        group.map = m;
        group.prev = pl::meta_page::PrevMap(map);
        for (std::uint32_t e = 0; e < kEntriesPerMap; ++e)
            entries[e] = pl::meta_page::Entry(map, e);
    }
    for (int e = kEntriesPerMap - 1; e >= 0; --e) {
        const std::uint8_t entry = entries[e];
        if (!pl::meta_page::IsAllocated(entry) || pl::meta_page::IsEmptyPage(entry))
            continue;
        const std::uint32_t d = m + 1 + static_cast<std::uint32_t>(e);
        std::shared_ptr<const PlPageRows> kept = before && !Changed(d) ? before->Find(d) : nullptr;
        const auto slot = static_cast<std::uint8_t>(e);
        if (kept) {
            group.Add(slot, std::move(kept), pass.Threshold());
            continue;
        }
        const PlPage& data = pass.cache.GetForScan(d);
        auto rows = std::make_shared<PlPageRows>(pass.threshold.has_value());
        // A filter with a result key may see the rows of a page that turns out
        // damaged; one without must not, so its pages are checked whole first.
        if (pass.keyed ? pl::data_page::FrameInside(data)
                       : pl::data_page::Check(data) != pl::data_page::State::kDamaged) {
            try {
                rows->Fill(data, pass.filter, scratch_, pass.keyed);
            } catch (...) {
                group.Add(slot, std::move(rows), pass.Threshold());
                throw;
            }
        }
        if (rows->IsNothing())
            group.Add(slot, PlPageRows::Nothing(rows->Visited(), rows->LastContinue(0)), pass.Threshold());
        else
            group.Add(slot, std::move(rows), pass.Threshold());
    }
    return true;
}
