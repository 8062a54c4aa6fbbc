#include "app/archive_view/pl_archive_row_text.h"

#include "app/texts/pl_text_table.h"

std::string PlArchiveRowText(const PlArchiveRecord& record, const std::string& header, const PlDateTimeFormat& format)
{
    std::string when = " ";  // a "Received" that is no time shows no date
    if (record.received) {
        const PlLocalTime time = PlLocalFromFileTime(*record.received);
        when = format.ShortDate(time) + " " + format.Time24(time);
    }
    return when + " - " + PlFormatText(header, record.origin, record.recipient) + "\r\n\r\n" + record.message;
}
