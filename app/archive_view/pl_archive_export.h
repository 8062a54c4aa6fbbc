#pragma once
// Export of an archive list to a file, as the archive window offers it for
// the rows a page shows, newest first:
// - text: each row as the list shows it, line breaks as LF, rows divided by
//   a line of dashes;
// - CSV (RFC 4180, CR LF record ends, every field quoted): received
//   ("YYYY-MM-DD HH:MM:SS", local time), type ("received", "sent"), origin,
//   recipient, text. A name or text that a spreadsheet would take for a
//   formula (it starts with "=", "+", "-", "@", a tab or a CR) gets a
//   leading "'", so that opening the file never runs what a peer sent.
//
// Threads: the data set's (the user-interface thread for the archive views).

#include <functional>
#include <string>
#include <string_view>

#include "app/archive_view/pl_archive_record.h"
#include "app/core/pl_date_time_format.h"

enum class PlExportFormat { kText, kCsv };

namespace pl::archive_view {

// One quoted CSV field, guarded against formulas.
std::string CsvField(std::string_view text);
// The CSV line of one record, ending in CR LF.
std::string CsvRecord(const PlArchiveRecord& record);

}  // namespace pl::archive_view

// Writes every record of `dataSet` in list order, in chunks handed to
// `write`; `header` is the list's two-argument header text ("%1 wrote to
// %2:"). Returns the number of records written.
std::int32_t PlExportRecords(PlDataSet& dataSet, PlExportFormat format, const std::string& header,
                             const PlDateTimeFormat& dateFormat, const std::function<void(std::string_view)>& write);
