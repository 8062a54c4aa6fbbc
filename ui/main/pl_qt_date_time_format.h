#pragma once
// Dates and times as the user's locale writes them: the short date format
// and a 24-hour time.

#include "app/core/pl_date_time_format.h"

class PlQtDateTimeFormat : public PlDateTimeFormat {
public:
    std::string ShortDate(const PlLocalTime& time) const override;
    std::string Time24(const PlLocalTime& time) const override;
};
