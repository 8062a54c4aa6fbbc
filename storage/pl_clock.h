#pragma once
// PlClock: where filters and data sets read "now", so that tests can move
// time instead of waiting. Times are FILETIMEs of local time (100 ns units
// since 1 January 1601), as the archive stores them.

#include <cstdint>

class PlClock {
public:
    virtual ~PlClock() = default;
    virtual std::uint64_t NowLocalFileTime() const = 0;
};

// The machine's clock, in the local time zone.
class PlSystemClock : public PlClock {
public:
    std::uint64_t NowLocalFileTime() const override;
};
