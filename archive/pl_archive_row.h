#pragma once
// The archive's row schema: five fields in a fixed order, the time as a
// FILETIME of local time (low 32 bits first, each half little-endian), the
// type as one byte "1" (received) or "2" (sent). The builders here are what
// the main window and the compose window call for each message they archive.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "storage/pl_row.h"
#include "transport/messaging/c_msg.h"

namespace pl::archive {

inline constexpr std::uint16_t kReceivedField = 0;
inline constexpr std::uint16_t kOriginField = 1;
inline constexpr std::uint16_t kRecipientField = 2;
inline constexpr std::uint16_t kMessageField = 3;
inline constexpr std::uint16_t kTypeField = 4;
inline constexpr std::uint16_t kFieldCount = 5;

inline constexpr char kReceivedType = '1';
inline constexpr char kSentType = '2';

// Field names as data sets hand them out.
inline constexpr std::string_view kReceivedName = "Received";
inline constexpr std::string_view kOriginName = "Origin";
inline constexpr std::string_view kRecipientName = "Recipient";
inline constexpr std::string_view kMessageName = "Message";
inline constexpr std::string_view kTypeName = "Type";

// A row of the schema, fields set in index order, that always fits a page
// (4,044 bytes): a name longer than 255 bytes, and then a text too long for
// the room left, are cut at a character boundary (never between the CR and
// LF of a line break) and end in "…". The time is kept in whole
// milliseconds (truncated), so that a day's bounds of a search include it.
PlRow MakeRow(std::uint64_t localFileTime, std::string_view origin, std::string_view recipient, std::string_view text,
              char type);

// The row for a message that arrived: from, to, and the text with every line
// break stored as CR LF (cut as MakeRow does; the caller keeps the whole
// message) (the protocols' line-break byte 0x14, as it reads in
// the ANSI code page, and bare LF or CR).
PlRow ReceivedRow(const CMsg& msg, std::uint64_t localFileTime);
// The row for a message sent to one recipient: from (the local computer
// name), to (the recipient name) and the text, line breaks as CR LF.
PlRow SentRow(const CMsg& msg, std::uint64_t localFileTime);

std::string WithCrLf(std::string_view text);

// True when the row has the five fields of the schema and lies in its bytes.
bool HasSchema(const PlRow& row);
// The "Received" time; nullopt when the field is not 8 bytes long.
// REQUIRES: HasSchema(row).
std::optional<std::uint64_t> ReceivedTime(const PlRow& row);
// The first byte of "Type", or 0 when the field is empty. REQUIRES: HasSchema(row).
char RowType(const PlRow& row);

}  // namespace pl::archive
