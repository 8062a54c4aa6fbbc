#pragma once
// Archives to look at and to measure the archive window with: a sample of a
// few days' conversation (for screenshots), or n synthetic messages of one
// to five lines (for benchmarks), all within the last days so that the
// received and sent lists show them.

#include <cstdint>
#include <string>

enum class ArchiveFill {
    kSample,       // a short conversation of HOSTA with a few colleagues, both directions
    kAllReceived,  // n received messages
    kMixed,        // n messages, every fourth one sent
};

// Appends the messages to the archive file at `path` (created when missing);
// times end `now` and reach back at most `hours` hours. Returns the number
// of rows written.
int FillArchive(const std::string& path, ArchiveFill kind, int count, std::uint64_t now, int hours = 48);
