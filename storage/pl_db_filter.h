#pragma once
// PlDbFilter: decides which rows a cursor's scan takes. Begin runs once at
// the start of every scan; then, for every row visited, Accept (take the row)
// and Continue (false skips the rest of the data page and ends the scan after
// the current space-map page), always both and in that order. The base takes
// every row. Rows handed to a filter are whole: their field directory and
// fields lie inside them.

#include <cstdint>
#include <optional>
#include <string>

#include "storage/pl_row.h"

class PlDbFilter {
public:
    virtual ~PlDbFilter() = default;

    virtual bool Accept(const PlRow& row);
    virtual bool Continue(const PlRow& row);
    virtual void Begin();

    // The contract that lets a refresh skip the pages that did not change.
    // A filter whose Accept and Continue results depend only on the row and on
    // what the last Begin computed returns, after Begin, a key that differs
    // whenever that computed state differs (a cut-off time, a name…). The
    // cursor then reuses a page's results while the page and the key stay the
    // same, and calls Accept and Continue only for the other pages. A filter
    // that keeps state from row to row returns nullopt (the default): every
    // refresh then calls it on every row the scan visits.
    virtual std::optional<std::string> ResultKey() const;

    // The contract that lets a moving cut-off cost only the rows it passes.
    // A filter with a ResultKey whose Continue(row) is exactly
    // ContinueTime(row) >= T, for a T that Begin computes, may return T here
    // (after Begin) and leave T out of its ResultKey; Accept must not depend
    // on T. A refresh then keeps each page's results when only T moved, and
    // finds where the scan now stops by a search. It calls Accept and
    // ContinueTime, never Continue, and on every row of a page it reads,
    // also past the row where the scan stops. The default, nullopt, makes
    // every refresh follow Continue.
    virtual std::optional<std::uint64_t> ContinueThreshold() const;
    // The value Continue compares with the threshold (the default: the
    // largest value, which never stops a scan).
    virtual std::uint64_t ContinueTime(const PlRow& row);
};
