#pragma once
// PlDbCheck: verifies the structure of a database file without changing it:
// the header, the space-map chain in both directions, page types, slot
// directories and row directories, and the map entries against their pages.
// Damage is what makes pages unreadable or unwritable; notes are the
// harmless traces an interrupted change may leave (an unused block, a map
// entry that records less room than the page has).

#include <cstdint>
#include <string>
#include <vector>

#include "storage/pl_abstract_page_heap.h"

struct PlDbFinding {
    std::uint32_t block;
    bool damage;  // false: a note
    std::string text;
};

struct PlDbCheckReport {
    std::uint32_t blocks = 0;
    std::uint32_t dataPages = 0;
    std::uint64_t rows = 0;
    std::vector<PlDbFinding> findings;

    bool Damaged() const;
};

// Never throws for what the file holds; a failing read is reported as damage.
PlDbCheckReport PlDbCheck(PlAbstractPageHeap& heap);
