#pragma once
// NbBrowseList: the computers and workgroups a provider learnt from browser
// announcements, each kept until three of its announcement periods pass
// without a new one. Bounded: once full, announcements of new names are
// dropped and counted, so a flood of invented names cannot exhaust memory.
// Not thread-safe; the provider uses it on its loop thread.

#include "platform/netbios/nb_browse_codec.h"
#include "platform/netbios/nb_clock.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace pl::nb {

struct NbBrowseEntry {
    std::string name;       // computer or workgroup, upper case
    std::string workgroup;  // the computer's workgroup; empty for a workgroup entry
    std::string comment;    // for a workgroup: its master browser
    std::uint32_t serverType = 0;
    bool isWorkgroup = false;
};

class NbBrowseList {
public:
    static constexpr std::size_t kMaxComputers = 2048;
    static constexpr std::size_t kMaxWorkgroups = 256;

    // An announcement heard for `workgroup` (the workgroup of the datagram's
    // destination name). A host announcement with server type 0 (a host
    // shutting down) removes its entry.
    void Heard(const NbBrowseAnnouncement& announcement, const std::string& workgroup, PlNetbiosClock::TimePoint now);
    void Expire(PlNetbiosClock::TimePoint now);
    // Workgroups first, then computers, each sorted by name.
    std::vector<NbBrowseEntry> Entries() const;
    std::uint64_t Dropped() const { return dropped_; }

private:
    struct Kept {
        NbBrowseEntry entry;
        PlNetbiosClock::TimePoint expires;
    };
    void Keep(std::map<std::string, Kept>& table, std::size_t limit, NbBrowseEntry entry,
              PlNetbiosClock::TimePoint expires);

    std::map<std::string, Kept> computers_;
    std::map<std::string, Kept> workgroups_;
    std::uint64_t dropped_ = 0;
};

}  // namespace pl::nb
