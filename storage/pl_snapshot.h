#pragma once
// PlSnapshot: the rows a cursor's scan took, in scan order (space-map pages
// from the last back to the first, their entries 2, 1, 0, each data page's
// slots from the highest down). Immutable once built.
//
// It is kept as the scan saw the file: one PlScanGroup per space-map page
// visited, oldest first, in chunks that the next snapshot shares when its
// groups did not change. So a refresh builds only the groups that changed
// (at the newest end after an Insert, at the oldest end when a time window's
// cut-off moves), and record i is found by binary searches.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "storage/page_format.h"
#include "storage/pl_page_rows.h"
#include "storage/pl_row.h"
#include "storage/pl_tid.h"

// One space-map page as a scan saw it, and what it took from its data pages.
struct PlScanGroup {
    std::uint32_t map = 0;   // block of the space-map page
    std::uint32_t prev = 0;  // its previous-map pointer
    std::uint32_t rows = 0;  // rows taken from all its pages
    std::uint8_t pageCount = 0;
    bool lastContinue = true;  // the scan goes on after this map page
    // The data pages read, in scan order (entries 2, 1, 0): their entry in
    // the map page, what they gave and how many of their rows the scan took.
    std::array<std::uint8_t, pl::page::kEntriesPerMap> entries{};
    std::array<std::shared_ptr<const PlPageRows>, pl::page::kEntriesPerMap> pages;
    std::array<std::uint16_t, pl::page::kEntriesPerMap> taken{};

    std::uint32_t PageNo(std::uint8_t p) const { return map + 1 + entries[p]; }
    void Add(std::uint8_t entry, std::shared_ptr<const PlPageRows> rows, std::uint64_t threshold);
    // Counts again under another threshold; true when anything changed.
    bool Retake(std::uint64_t threshold);
    // The rows read from data page pageNo, or null.
    std::shared_ptr<const PlPageRows> Find(std::uint32_t pageNo) const;
};

class PlSnapshot {
public:
    static constexpr std::size_t kChunkGroups = 32;

    PlSnapshot() = default;
    // The groups [0, keep] of `old` (none when keep < 0), then `newer`,
    // oldest first.
    PlSnapshot(const PlSnapshot* old, std::int32_t keep, std::vector<PlScanGroup> newer);

    // Rows, records numbered from the newest (0) as the scan found them.
    std::int32_t Size() const { return rowEnds_.empty() ? 0 : static_cast<std::int32_t>(rowEnds_.back()); }
    // REQUIRES: 0 <= i < Size().
    tid TidAt(std::int32_t i) const;
    void RowAt(std::int32_t i, PlRow& row) const;

    // Groups, oldest first.
    std::int32_t GroupCount() const;
    const PlScanGroup& GroupAt(std::int32_t g) const;
    // The group of the space-map page `map`, or the one whose map page or
    // data pages include `block`; -1 when there is none.
    std::int32_t FindMap(std::uint32_t map) const;
    std::int32_t FindCovering(std::uint32_t block) const;

private:
    struct Chunk {
        std::vector<PlScanGroup> groups;
        std::vector<std::uint32_t> rowEnds;  // rows in groups [0, g]
    };

    void AddChunk(std::vector<PlScanGroup> groups);
    void AddChunk(std::shared_ptr<const Chunk> chunk);
    struct Place {
        const PlScanGroup* group;
        std::uint8_t page;  // in the group's scan order
        std::uint32_t row;  // in the page's rows taken
    };
    Place Locate(std::int32_t i) const;

    std::vector<std::shared_ptr<const Chunk>> chunks_;
    std::vector<std::uint32_t> rowEnds_;    // rows in chunks [0, c]
    std::vector<std::uint32_t> groupEnds_;  // groups in chunks [0, c]
};
