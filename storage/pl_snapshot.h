#pragma once
// PlSnapshot: the rows a cursor's scan took, in scan order (space-map pages
// from the last back to the first, their entries 2, 1, 0, each data page's
// slots from the highest down). Immutable once built; it shares the page
// images of the database's cache instead of copying rows, and finds record i
// by a binary search over its pages.

#include <cstdint>
#include <memory>
#include <vector>

#include "storage/pl_page_cache.h"
#include "storage/pl_row.h"
#include "storage/pl_tid.h"

// What one scan took from one data page.
struct PlPageRows {
    std::shared_ptr<const PlPageImage> image;
    std::vector<std::uint16_t> slots;  // accepted slots, in scan order
    bool visited = false;              // at least one row was handed to the filter
    bool lastContinue = true;          // the last Continue result on this page
};

class PlSnapshot {
public:
    void Append(std::shared_ptr<const PlPageRows> rows);

    std::int32_t Size() const { return ends_.empty() ? 0 : static_cast<std::int32_t>(ends_.back()); }
    // REQUIRES: 0 <= i < Size().
    tid TidAt(std::int32_t i) const;
    void RowAt(std::int32_t i, PlRow& row) const;

private:
    std::pair<const PlPageRows*, std::uint16_t> Locate(std::int32_t i) const;

    std::vector<std::shared_ptr<const PlPageRows>> pages_;
    std::vector<std::uint32_t> ends_;  // ends_[p]: rows in pages_[0..p]
};
