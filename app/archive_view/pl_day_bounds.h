#pragma once
// The period of the archive's search as the archive window's two date
// pickers give it: from the first day at 00:00:00.000 to the last day at
// 23:59:59.999, both as local-time FILETIMEs (no time-zone conversion), so
// that one day picked twice covers that whole day. A first day after the
// last gives an empty period, as picked.

#include <cstdint>

#include "archive/pl_archive_time.h"

struct PlPeriod {
    std::uint64_t from = 0;
    std::uint64_t to = 0;
};

// Only the dates of `firstDay` and `lastDay` count; their times are ignored.
// REQUIRES: both dates exist and lie in or after 1601.
PlPeriod PlWholeDays(const PlLocalTime& firstDay, const PlLocalTime& lastDay);
