#pragma once
// PlArchiveRecord: one message as an archive view hands it out, read by
// field name from any data set with the archive's fields ("Received",
// "Origin", "Recipient", "Message", "Type").
//
// Threads: the data set's (the user-interface thread for the archive views).

#include <cstdint>
#include <optional>
#include <string>

#include "storage/pl_data_set.h"

struct PlArchiveRecord {
    std::optional<std::uint64_t> received;  // FILETIME of local time; none when the field is no time
    std::string origin;
    std::string recipient;
    std::string message;  // line breaks as CR LF
    std::string type;     // "1" received, "2" sent
};

// Record `index` of `dataSet`; nullopt when the index is not one of its
// records (below 0 or past the last).
std::optional<PlArchiveRecord> PlReadArchiveRecord(PlDataSet& dataSet, std::int32_t index);
