#pragma once
// The cursor scan exactly as the file format defines it, written plainly:
// every block read from the heap, every row handed to the filter, nothing
// remembered between scans. Tests compare the real cursors against it.
// Meant for intact files only.

#include <cstdint>
#include <vector>

#include "storage/pl_abstract_page_heap.h"
#include "storage/pl_db_filter.h"
#include "storage/pl_row.h"

struct ReferenceEntry {
    std::uint32_t pageno;
    std::uint32_t slot;
    PlRow row;

    bool operator==(const ReferenceEntry&) const = default;
};

std::vector<ReferenceEntry> ReferenceScan(PlAbstractPageHeap& heap, PlDbFilter& filter);
