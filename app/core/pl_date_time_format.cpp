#include "app/core/pl_date_time_format.h"

#include <cstdio>
#include <ctime>

std::string PlCLocaleDateTimeFormat::ShortDate(const PlLocalTime& time) const
{
    std::tm fields{};
    fields.tm_year = time.year - 1900;
    fields.tm_mon = time.month - 1;
    fields.tm_mday = time.day;
    char text[100];
    const std::size_t length = std::strftime(text, sizeof text, "%x", &fields);
    return std::string(text, length);
}

std::string PlCLocaleDateTimeFormat::Time24(const PlLocalTime& time) const
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", time.hour, time.minute, time.second);
    return text;
}
