#include "platform/netbios/nb_name_cache.h"

#include <algorithm>

namespace pl::nb {

namespace {

constexpr std::uint32_t kCacheSeconds = 600;
constexpr std::size_t kCacheLimit = 512;

}  // namespace

std::optional<NbResolvedName> NbNameCache::Lookup(const NetbiosNameBytes& name)
{
    const auto it = entries_.find(name);
    if (it == entries_.end())
        return std::nullopt;
    if (it->second.expires > loop_.Now())
        return it->second.owner;
    entries_.erase(it);
    return std::nullopt;
}

std::optional<NbResolvedName> NbNameCache::Peek(const NetbiosNameBytes& name) const
{
    const auto it = entries_.find(name);
    if (it == entries_.end() || it->second.expires <= loop_.Now())
        return std::nullopt;
    return it->second.owner;
}

void NbNameCache::Remember(const NetbiosNameBytes& name, const NbResolvedName& owner, std::uint32_t ttl)
{
    const std::uint32_t seconds = ttl == 0 || ttl > kCacheSeconds ? kCacheSeconds : ttl;
    if (entries_.size() >= kCacheLimit && entries_.find(name) == entries_.end()) {
        const auto oldest = std::min_element(entries_.begin(), entries_.end(), [](const auto& a, const auto& b) {
            return a.second.expires < b.second.expires;
        });
        entries_.erase(oldest);
    }
    entries_[name] = Entry{owner, loop_.Now() + std::chrono::seconds(seconds)};
}

std::vector<NbCachedName> NbNameCache::Names() const
{
    std::vector<NbCachedName> result;
    const auto now = loop_.Now();
    for (const auto& [name, entry] : entries_) {
        if (entry.expires <= now)
            continue;
        result.push_back(NbCachedName{name, entry.owner.address, entry.owner.group,
                                      std::chrono::ceil<std::chrono::seconds>(entry.expires - now)});
    }
    return result;
}

}  // namespace pl::nb
