#include "storage/pl_page_rows.h"

#include <algorithm>

#include "storage/pl_data_page.h"

void PlPageRows::Fill(const PlPage& page, PlDbFilter& filter, Scratch& scratch, bool checkRows)
{
    scratch.entries.clear();
    scratch.bytes.clear();
    bool whole = true;
    try {
        whole = FillFrom(page, filter, scratch, checkRows);
    } catch (...) {
        Keep(scratch);
        throw;
    }
    if (!whole) {  // a damaged page holds no rows
        scratch.entries.clear();
        scratch.bytes.clear();
        visited_ = false;
        lastContinue_ = true;
        least_ = UINT64_MAX;
    }
    Keep(scratch);
}

bool PlPageRows::FillFrom(const PlPage& page, PlDbFilter& filter, Scratch& scratch, bool checkRows)
{
    PlRow& row = scratch.row;
    std::uint32_t k = pl::data_page::SlotCount(page);
    for (; k > 0; --k) {
        if (checkRows && !pl::data_page::SlotInside(page, k - 1))
            return false;
        row.View(page.bytes.At(pl::data_page::SlotOffset(page, k - 1)), pl::data_page::SlotLength(page, k - 1));
        if (checkRows && !row.IsWellFormed())
            return false;
        const bool accept = filter.Accept(row);
        const auto slot = static_cast<std::uint16_t>(k - 1);
        if (gated_) {
            least_ = std::min(least_, filter.ContinueTime(row));
            visited_ = true;
            if (accept)
                scratch.Take(row, slot, least_);
            continue;
        }
        lastContinue_ = filter.Continue(row);
        visited_ = true;
        if (!lastContinue_)
            break;
        if (accept)
            scratch.Take(row, slot, 0);
    }
    // Rows after a stop are not filtered, but a damaged one still makes the
    // whole page damaged.
    for (; checkRows && k > 1; --k) {
        if (!pl::data_page::SlotInside(page, k - 2) ||
            !pl::row::DirectoryInside(page.bytes.At(pl::data_page::SlotOffset(page, k - 2)),
                                      pl::data_page::SlotLength(page, k - 2)))
            return false;
    }
    return true;
}

void PlPageRows::Keep(Scratch& scratch)
{
    entries_.assign(scratch.entries.begin(), scratch.entries.end());
    bytes_.assign(scratch.bytes.begin(), scratch.bytes.end());
}

void PlPageRows::Scratch::Take(const PlRow& taken, std::uint16_t slot, std::uint64_t gate)
{
    bytes.insert(bytes.end(), taken.Data(), taken.Data() + taken.GetSize());
    entries.push_back({gate, static_cast<std::uint32_t>(bytes.size()), slot});
}

std::uint32_t PlPageRows::Taken(std::uint64_t threshold) const
{
    if (!gated_)
        return static_cast<std::uint32_t>(entries_.size());
    // Gates never grow along the page: the rows taken are a prefix.
    const auto end = std::partition_point(entries_.begin(), entries_.end(),
                                          [threshold](const Entry& e) { return e.gate >= threshold; });
    return static_cast<std::uint32_t>(end - entries_.begin());
}

bool PlPageRows::LastContinue(std::uint64_t threshold) const
{
    return gated_ ? least_ >= threshold : lastContinue_;
}

void PlPageRows::Row(std::uint32_t i, PlRow& row) const
{
    const std::uint32_t begin = i == 0 ? 0 : entries_[i - 1].end;
    row.Assign(bytes_.data() + begin, entries_[i].end - begin);
}

std::shared_ptr<const PlPageRows> PlPageRows::Nothing(bool visited, bool lastContinue)
{
    static const std::shared_ptr<const PlPageRows> kinds[2][2] = {{Make(false, false), Make(false, true)},
                                                                  {Make(true, false), Make(true, true)}};
    return kinds[visited][lastContinue];
}

std::shared_ptr<const PlPageRows> PlPageRows::Make(bool visited, bool lastContinue)
{
    auto rows = std::make_shared<PlPageRows>(false);
    rows->visited_ = visited;
    rows->lastContinue_ = lastContinue;
    return rows;
}
