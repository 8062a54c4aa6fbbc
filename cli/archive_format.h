#pragma once
// How `parlino-cli archive dump` prints rows: archive rows (five fields:
// received, origin, recipient, message, type) by their meaning, other rows as
// their raw fields; readable text or CSV (RFC 4180 quoting).

#include <cstdint>
#include <string>
#include <string_view>

#include "storage/pl_row.h"

namespace pl::cli {

// A local-time FILETIME as "YYYY-MM-DD HH:MM:SS.mmm".
std::string FormatFileTime(std::uint64_t fileTime);
// Bytes with control characters (other than line feed and tab) as \xHH.
std::string Printable(std::string_view bytes);
std::string CsvQuote(std::string_view text);

// One record of the dump; index is its place in the cursor's order.
std::string FormatReadable(std::int32_t index, std::uint32_t page, std::uint32_t slot, const PlRow& row);
std::string CsvHeader();
std::string FormatCsv(std::int32_t index, std::uint32_t page, std::uint32_t slot, const PlRow& row);

}  // namespace pl::cli
