#include "platform/netbios/nb_browse_list.h"

#include "platform/text/pl_case.h"

#include <algorithm>

namespace pl::nb {

namespace {

// Announcement periods below a minute or above an hour are taken as their bound,
// so that no sender keeps an entry for ever or lets it vanish at once.
constexpr std::uint32_t kMinPeriodMs = 60'000;
constexpr std::uint32_t kMaxPeriodMs = 3'600'000;
constexpr int kPeriodsKept = 3;

PlNetbiosClock::TimePoint ExpiryOf(std::uint32_t periodicityMs, PlNetbiosClock::TimePoint now)
{
    const std::uint32_t period = std::clamp(periodicityMs, kMinPeriodMs, kMaxPeriodMs);
    return now + std::chrono::milliseconds(std::uint64_t{period} * kPeriodsKept);
}

}  // namespace

void NbBrowseList::Heard(const NbBrowseAnnouncement& announcement, const std::string& workgroup,
                         PlNetbiosClock::TimePoint now)
{
    const std::string name = UpperCase(announcement.name);
    if (name.empty())
        return;
    const auto expires = ExpiryOf(announcement.periodicityMs, now);
    if (announcement.opcode == kBrowseDomainAnnouncement) {
        Keep(workgroups_, kMaxWorkgroups,
             NbBrowseEntry{name, {}, UpperCase(announcement.comment), announcement.serverType, true}, expires);
        return;
    }
    if (announcement.serverType == 0) {
        computers_.erase(name);
        return;
    }
    const std::string group = UpperCase(workgroup);
    Keep(computers_, kMaxComputers, NbBrowseEntry{name, group, announcement.comment, announcement.serverType, false},
         expires);
    if (!group.empty() && workgroups_.find(group) == workgroups_.end())
        Keep(workgroups_, kMaxWorkgroups, NbBrowseEntry{group, {}, {}, kServerTypeDomainEnum, true}, expires);
}

void NbBrowseList::Keep(std::map<std::string, Kept>& table, std::size_t limit, NbBrowseEntry entry,
                        PlNetbiosClock::TimePoint expires)
{
    const auto found = table.find(entry.name);
    if (found != table.end()) {
        if (entry.isWorkgroup && entry.comment.empty())
            entry.comment = found->second.entry.comment;
        found->second = Kept{std::move(entry), std::max(expires, found->second.expires)};
        return;
    }
    if (table.size() >= limit) {
        ++dropped_;
        return;
    }
    std::string key = entry.name;
    table.emplace(std::move(key), Kept{std::move(entry), expires});
}

void NbBrowseList::Expire(PlNetbiosClock::TimePoint now)
{
    for (auto* table : {&computers_, &workgroups_})
        std::erase_if(*table, [now](const auto& item) { return item.second.expires <= now; });
}

std::vector<NbBrowseEntry> NbBrowseList::Entries() const
{
    std::vector<NbBrowseEntry> entries;
    entries.reserve(workgroups_.size() + computers_.size());
    for (const auto* table : {&workgroups_, &computers_})
        for (const auto& [name, kept] : *table)
            entries.push_back(kept.entry);
    return entries;
}

}  // namespace pl::nb
