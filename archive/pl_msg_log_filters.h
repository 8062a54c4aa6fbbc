#pragma once
// The row filters of the four archive views. The time-window filters take
// rows of the last `days` days: Begin reads "now" from the clock, goes back
// days × 86,400,000 ms and keeps the cut-off at millisecond precision; since
// a scan visits the newest rows first, Continue stops it at the first older
// row. They state the cut-off as their continue threshold, so a refresh after
// the clock moved re-counts the rows it keeps instead of filtering them again.
// Names are compared ignoring case, Unicode-aware. Parameters are set by
// the owner before the view opens or re-scans.

#include <cstdint>
#include <optional>
#include <string>

#include "storage/pl_clock.h"
#include "storage/pl_db_filter.h"

// The process's system clock, the default of every filter.
const PlClock& PlDefaultClock();

// The cut-off of a window of `days` days before `now`, truncated to whole
// milliseconds; 0 when the window reaches before 1601, and for negative days
// a time after now (the window is then empty).
std::uint64_t PlWindowCutoff(std::uint64_t now, std::int32_t days);

class PlTimeWindowFilter : public PlDbFilter {
public:
    explicit PlTimeWindowFilter(const PlClock& clock) : clock_(&clock) {}

    // True for rows without the schema (they are never taken anyway), else
    // while the row is not older than the cut-off.
    bool Continue(const PlRow& row) override;
    void Begin() override;
    // Empty: what Accept takes does not depend on the cut-off.
    std::optional<std::string> ResultKey() const override;
    std::optional<std::uint64_t> ContinueThreshold() const override { return cutoff; }
    // "Received", or the largest value for a row that never stops a scan.
    std::uint64_t ContinueTime(const PlRow& row) override;

    std::int32_t days = 3;
    std::uint64_t cutoff = 0;

private:
    const PlClock* clock_;
};

// Received messages ("Type" "1").
class FilterIncoming2 : public PlTimeWindowFilter {
public:
    explicit FilterIncoming2(const PlClock& clock = PlDefaultClock()) : PlTimeWindowFilter(clock) {}
    bool Accept(const PlRow& row) override;
};

// Sent messages ("Type" "2").
class FilterOutcoming : public PlTimeWindowFilter {
public:
    explicit FilterOutcoming(const PlClock& clock = PlDefaultClock()) : PlTimeWindowFilter(clock) {}
    bool Accept(const PlRow& row) override;
};

// Both directions, exchanged with `name` ("Origin" or "Recipient"), or all
// rows when the name is empty. Begin upper-cases the name.
class FilterDialog : public PlTimeWindowFilter {
public:
    explicit FilterDialog(const PlClock& clock = PlDefaultClock()) : PlTimeWindowFilter(clock) {}
    bool Accept(const PlRow& row) override;
    void Begin() override;
    std::optional<std::string> ResultKey() const override;

    std::string name;
};

// Both directions, with `name` (or all when empty), whose "Received" lies
// between from and to, both included. Scans the whole archive.
class FilterManual : public PlDbFilter {
public:
    bool Accept(const PlRow& row) override;
    bool Continue(const PlRow&) override { return true; }
    std::optional<std::string> ResultKey() const override;

    std::string name;
    std::uint64_t from = 0;
    std::uint64_t to = 0;
};
