#pragma once
// The text of one message in the archive window's lists: the short date, a
// blank, the 24-hour time, " - ", the header (a two-argument text such as
// "%1 wrote to %2:" filled with origin and recipient), an empty line and
// the message. Line breaks are CR LF. The time is shown as stored: a local
// time, no time-zone conversion.

#include <string>

#include "app/archive_view/pl_archive_record.h"
#include "app/core/pl_date_time_format.h"

std::string PlArchiveRowText(const PlArchiveRecord& record, const std::string& header, const PlDateTimeFormat& format);
