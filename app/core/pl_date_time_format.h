#pragma once
// PlDateTimeFormat: how the face writes a date and a time for people: the
// user's short date and a 24-hour time. The Qt face formats with QLocale;
// PlCLocaleDateTimeFormat uses the C library's locale (parlino-cli, tests).

#include <string>

#include "archive/pl_archive_time.h"

class PlDateTimeFormat {
public:
    virtual ~PlDateTimeFormat() = default;
    virtual std::string ShortDate(const PlLocalTime& time) const = 0;
    virtual std::string Time24(const PlLocalTime& time) const = 0;
};

class PlCLocaleDateTimeFormat : public PlDateTimeFormat {
public:
    std::string ShortDate(const PlLocalTime& time) const override;  // strftime "%x"
    std::string Time24(const PlLocalTime& time) const override;     // "HH:MM:SS"
};
