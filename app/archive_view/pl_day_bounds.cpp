#include "app/archive_view/pl_day_bounds.h"

namespace {

PlLocalTime AtTime(const PlLocalTime& day, int hour, int minute, int second, int millisecond)
{
    return PlLocalTime{day.year, day.month, day.day, hour, minute, second, millisecond};
}

}  // namespace

PlPeriod PlWholeDays(const PlLocalTime& firstDay, const PlLocalTime& lastDay)
{
    return PlPeriod{PlFileTimeFromLocal(AtTime(firstDay, 0, 0, 0, 0)),
                    PlFileTimeFromLocal(AtTime(lastDay, 23, 59, 59, 999))};
}
