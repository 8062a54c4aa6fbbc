#pragma once
// PlSingleBlockRefusals: the peers that ended a session on a single-block
// message (Samba's smbd takes only start, text and end), by upper-cased name,
// so that their messages go as start, text and end straight away. It can be
// kept in a file, so that one-shot senders (parlino-cli send, one process per
// message) learn it once too: a refusal is kept for 30 days, at most 256 peers.
// The file is a cache: one that cannot be read or written costs no more than
// the single-block attempt, and the refusal is still remembered in memory.
// Peers that take single-block messages (Windows, our own copies) never get
// into it. Thread-safe.

#include <chrono>
#include <cstddef>
#include <map>
#include <mutex>
#include <string>

class PlSingleBlockRefusals {
public:
    static constexpr auto kKeptFor = std::chrono::hours(24 * 30);
    static constexpr std::size_t kMaxPeers = 256;

    PlSingleBlockRefusals() = default;
    PlSingleBlockRefusals(const PlSingleBlockRefusals&) = delete;
    PlSingleBlockRefusals& operator=(const PlSingleBlockRefusals&) = delete;

    // Keeps the refusals in `file` from now on: the ones it holds that are
    // still current are added to those remembered so far.
    void KeepIn(const std::string& file);

    bool Refuses(const std::string& peer) const;
    // Remembers `peer` (upper-cased by the caller) and, when the list is kept
    // in a file, saves it together with what the file gained meanwhile.
    void Remember(const std::string& peer);

private:
    using Clock = std::chrono::system_clock;

    void Load();
    void Save() const;
    void KeepNewest();

    mutable std::mutex mutex_;
    std::string file_;
    std::map<std::string, Clock::time_point> peers_;  // when each refused
};
