#include "storage/pl_snapshot.h"

#include <algorithm>

void PlSnapshot::Append(std::shared_ptr<const PlPageRows> rows)
{
    if (rows->slots.empty())
        return;
    ends_.push_back(static_cast<std::uint32_t>(Size() + rows->slots.size()));
    pages_.push_back(std::move(rows));
}

std::pair<const PlPageRows*, std::uint16_t> PlSnapshot::Locate(std::int32_t i) const
{
    const auto index = static_cast<std::uint32_t>(i);
    const auto it = std::upper_bound(ends_.begin(), ends_.end(), index);
    const std::size_t p = static_cast<std::size_t>(it - ends_.begin());
    const std::uint32_t start = p == 0 ? 0 : ends_[p - 1];
    const PlPageRows* rows = pages_[p].get();
    return {rows, rows->slots[index - start]};
}

tid PlSnapshot::TidAt(std::int32_t i) const
{
    const auto [rows, slot] = Locate(i);
    return tid{rows->image->page.pageNo, slot};
}

void PlSnapshot::RowAt(std::int32_t i, PlRow& row) const
{
    const auto [rows, slot] = Locate(i);
    const PlPage& page = rows->image->page;
    row.Assign(page.bytes.At(pl::data_page::SlotOffset(page, slot)), pl::data_page::SlotLength(page, slot));
}
