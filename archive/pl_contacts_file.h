#pragma once
// The contacts file: one line per contact, "Type;RealName;DisplayName;
// GroupName;GroupOpen" with CR LF line ends, no header, no quoting.
// Reading never fails on content: missing fields are empty, text after the
// fifth field is ignored, a Type other than "1" is 2, a GroupOpen other than
// "1" is 0.

#include <string>
#include <string_view>
#include <vector>

#include "archive/pl_contact_record.h"

PlContactRecord PlParseContactLine(std::string_view line);
// Every line of the text; a line ends at LF, and a CR before the LF is part
// of the line end. A last line without a line end counts.
std::vector<PlContactRecord> PlParseContactsText(std::string_view text);
// The record's line with its CR LF.
std::string PlFormatContactLine(const PlContactRecord& record);

// Reads the file, creating it empty when it is missing. False (and no
// records) when it cannot be read.
bool PlReadContactsFile(const std::string& path, std::vector<PlContactRecord>& records);
// Writes the records to a temporary file beside `path`, flushes it to disk
// and renames it over `path`, so that the old list survives any failure or
// crash in between. False when the new file could not be put in place.
bool PlWriteContactsFile(const std::string& path, const std::vector<PlContactRecord>& records);
