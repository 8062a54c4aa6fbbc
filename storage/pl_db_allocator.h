#pragma once
// PlDbAllocator: the space management of the database file. Block 0 is the
// header page; space-map pages follow in a doubly linked chain, each
// describing the three blocks after it; rows live in data pages. Blocks are
// only appended. Every operation throws what the heap throws, and
// PlDatabaseErr when the file's structure forbids the change; it never writes
// outside a page or a row of a damaged file. Not thread-safe (the database
// serialises it).
//
// Write order, chosen so that a process killed between any two writes leaves
// a file that opens and keeps every row stored before: a block is grown and
// written before anything points to it; a data page's entry is marked
// allocated before rows go into the page; a new row's map entry is written
// before the data page that holds the row.

#include <cstdint>
#include <utility>

#include "storage/pl_abstract_page_heap.h"
#include "storage/pl_row.h"
#include "storage/pl_tid.h"

class PlDbAllocator {
public:
    explicit PlDbAllocator(PlAbstractPageHeap& heap) : heap_(heap) {}

    // Reserves aSize bytes for a new row and returns where it lies. The row's
    // bytes are content when given, else a reserved row (field count 0).
    // Throws PlDatabaseErr when aSize is below 2 or above 4044.
    tid AllocateRow(std::int32_t aSize, const std::uint8_t* content = nullptr);
    // Removes the row; the rows above it in the page move down one slot.
    // Throws PlDatabaseErr when there is no such row.
    void DeleteRow(std::uint32_t pageno, std::uint32_t slot);
    // The slot at or below where.slot of where's page that holds exactly
    // `row`, the nearest first. Throws PlDatabaseErr when there is none.
    std::uint32_t FindRow(tid where, const PlRow& row);
    // Replaces a stored row by another, of any size that fits the page.
    void Replace(tid where, const PlRow& row);

    void InitHeader();
    // Appends a data page, and a space-map page first when needed; returns the
    // map page and the data page. The map entry of the page is not set.
    std::pair<std::uint32_t, std::uint32_t> AddDataPage();
    // Finds or adds a data page and marks it allocated and empty.
    std::uint32_t AllocatePage();

private:
    // Runs InitHeader on an empty heap or one whose only block was never
    // written, then reads the header; PlDatabaseErr unless it is one.
    void ReadHeader(PlPage& header);
    void ReadMap(std::uint32_t block, PlPage& map, const char* operation);
    // The last allocated page of the last map page, when the row fits it.
    std::uint32_t LastPageWithRoom(const PlPage& header, std::uint32_t aSize);
    // An unallocated entry of the chain whose block exists and may be reused.
    // REQUIRES: no other writer changes the file while this allocator lives.
    bool FindFreeEntry(const PlPage& header, PlPage& map, std::uint32_t& page);
    void ReadPackedDataPage(std::uint32_t pageno, PlPage& page, PlPage& map, const char* operation);

    PlAbstractPageHeap& heap_;
    // The first map page that may still have an unallocated entry: entries
    // are never given back, so the full map pages before it are not read
    // again. 0: start at the header's first map page.
    std::uint32_t freeSearchStart_ = 0;
};
