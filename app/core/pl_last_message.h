#pragma once
// PlLastMessage: the record of the message the popup shows: the newest one
// received, or the one the popup's "<<" and ">>" moved to. Client threads
// write it as messages arrive and the face reads it, each under its lock.

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

struct PlLastMessageRecord {
    std::string from;
    std::string to;
    std::string text;
    std::uint64_t received = 0;  // FILETIME of local time
};

class PlLastMessage {
public:
    void Set(PlLastMessageRecord record);
    // A copy of the record; nullopt until the first message.
    std::optional<PlLastMessageRecord> Get() const;

private:
    mutable std::mutex lock_;
    std::optional<PlLastMessageRecord> record_;
};
