#pragma once
// PlPageRows: what a cursor's filter took from one data page, as copies of
// the accepted rows in scan order (the highest slot first). Immutable once
// filled; snapshots and the next refresh share it while the page does not
// change.
//
// Two forms. The plain form calls Accept and Continue on each row until
// Continue is false, as the scan is defined. The gated form serves a filter
// with a continue threshold (PlDbFilter::ContinueThreshold): it calls Accept
// and ContinueTime on every row and keeps, with each accepted row, the least
// ContinueTime of the rows up to it; under any threshold the rows taken are
// then the accepted rows before the first row below it, found by a search.

#include <cstdint>
#include <memory>
#include <vector>

#include "storage/pl_db_filter.h"
#include "storage/pl_page.h"
#include "storage/pl_row.h"

class PlPageRows {
public:
    // Working memory of Fill, kept by the caller from page to page.
    struct Scratch;

    explicit PlPageRows(bool gated) : gated_(gated) {}

    // What a plain-form page that gave no rows is, shared by all such pages
    // so that a view over a large archive holds little for them.
    static std::shared_ptr<const PlPageRows> Nothing(bool visited, bool lastContinue);
    bool IsNothing() const { return !gated_ && entries_.empty(); }

    // Filters the rows of a data page whose frame is sound
    // (pl::data_page::FrameInside). With checkRows, a slot outside the row
    // area or a row whose field directory does not lie inside it makes the
    // page damaged: it then holds no rows, although the filter saw the rows
    // before (only filters with a result key, whose answers have no lasting
    // effect, may be run so). Without it, the page must have passed Check. A
    // filter that throws leaves the rows taken before the throwing row.
    void Fill(const PlPage& page, PlDbFilter& filter, Scratch& scratch, bool checkRows);

    // At least one row was handed to the filter.
    bool Visited() const { return visited_; }
    // The number of rows taken and the last Continue result, under a
    // threshold (the plain form ignores it).
    std::uint32_t Taken(std::uint64_t threshold) const;
    bool LastContinue(std::uint64_t threshold) const;
    // Row i of the rows taken, in scan order. REQUIRES: i < Taken(...).
    std::uint16_t Slot(std::uint32_t i) const { return entries_[i].slot; }
    void Row(std::uint32_t i, PlRow& row) const;

private:
    struct Entry {
        std::uint64_t gate;  // gated form: least ContinueTime up to this row
        std::uint32_t end;   // the row's bytes end here in bytes_
        std::uint16_t slot;
    };

    static std::shared_ptr<const PlPageRows> Make(bool visited, bool lastContinue);
    // False when checkRows found a damaged row.
    bool FillFrom(const PlPage& page, PlDbFilter& filter, Scratch& scratch, bool checkRows);
    // Keeps what the scratch holds, in memory of exactly its size.
    void Keep(Scratch& scratch);

    bool gated_;
    bool visited_ = false;
    bool lastContinue_ = true;          // plain form
    std::uint64_t least_ = UINT64_MAX;  // gated form: least ContinueTime on the page
    std::vector<Entry> entries_;
    std::vector<std::uint8_t> bytes_;
};

struct PlPageRows::Scratch {
    PlRow row;
    std::vector<Entry> entries;
    std::vector<std::uint8_t> bytes;

    void Take(const PlRow& taken, std::uint16_t slot, std::uint64_t gate);
};
