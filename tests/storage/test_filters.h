#pragma once
// Filters of the kinds the archive uses, for tests and benchmarks: a time
// window on the "Received" field read from an injectable clock, a name
// match, and a filter that keeps state from row to row.

#include <cstdint>
#include <optional>
#include <string>

#include "storage/pl_clock.h"
#include "storage/pl_db_filter.h"

class FakeClock : public PlClock {
public:
    std::uint64_t NowLocalFileTime() const override { return now; }
    std::uint64_t now = 133000000000000000ULL;
};

inline constexpr std::uint64_t kFileTimeDay = 864000000000ULL;

// Rows of one type received within the last `days` days; the scan stops a
// page at the first older row. It states its cut-off as a continue
// threshold, unless made `ungated`: its result key then holds the cut-off.
class TimeWindowFilter : public PlDbFilter {
public:
    TimeWindowFilter(const PlClock& clock, int windowDays, char rowType, bool gated = true)
        : clock_(clock), days(windowDays), type(rowType), gated_(gated)
    {
    }
    bool Accept(const PlRow& row) override;
    bool Continue(const PlRow& row) override;
    void Begin() override;
    std::optional<std::string> ResultKey() const override;
    std::optional<std::uint64_t> ContinueThreshold() const override;
    std::uint64_t ContinueTime(const PlRow& row) override;

    const PlClock& clock_;
    int days;
    char type;
    std::uint64_t cutoff = 0;

private:
    bool gated_;
};

// Rows whose origin or recipient equals the name, ignoring ASCII case.
class NameFilter : public PlDbFilter {
public:
    explicit NameFilter(std::string matched) : name(std::move(matched)) {}
    bool Accept(const PlRow& row) override;
    std::optional<std::string> ResultKey() const override { return name; }

    std::string name;
};

// At most `limit` rows, then the scan stops: its answers depend on the rows
// seen before, so it offers no result key.
class LimitFilter : public PlDbFilter {
public:
    explicit LimitFilter(int most) : limit(most) {}
    bool Accept(const PlRow&) override { return true; }
    bool Continue(const PlRow&) override { return ++seen_ <= limit; }
    void Begin() override { seen_ = 0; }

    int limit;

private:
    int seen_ = 0;
};
