#pragma once
// NbNameCache: the remote names one adapter learnt from answers to its
// queries, each kept for the answer's time to live (at most ten minutes), at
// most 512 at once: a new name pushes out the entry that expires first. Reads
// the time from the provider's loop. Loop code only, like its name service.

#include "platform/netbios/nb_clock.h"
#include "platform/netbios/nb_event_loop.h"
#include "platform/netbios/nb_name_table.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace pl::nb {

// One remote name learnt from the network, as nbtstat -c lists it.
struct NbCachedName {
    NetbiosNameBytes name{};
    std::uint32_t address = 0;
    bool group = false;
    std::chrono::seconds remaining{0};
};

class NbNameCache {
public:
    explicit NbNameCache(const NbEventLoop& loop) : loop_(loop) {}

    // The owner of `name` while its entry lasts. Lookup also drops an expired
    // entry; Peek leaves the cache as it is.
    std::optional<NbResolvedName> Lookup(const NetbiosNameBytes& name);
    std::optional<NbResolvedName> Peek(const NetbiosNameBytes& name) const;
    // Keeps an answer for `ttl` seconds (0 or more than ten minutes: ten).
    void Remember(const NetbiosNameBytes& name, const NbResolvedName& owner, std::uint32_t ttl);
    // Forgets a name its owner released.
    void Forget(const NetbiosNameBytes& name) { entries_.erase(name); }
    // The entries that have not expired.
    std::vector<NbCachedName> Names() const;

private:
    struct Entry {
        NbResolvedName owner;
        PlNetbiosClock::TimePoint expires;
    };

    const NbEventLoop& loop_;
    std::map<NetbiosNameBytes, Entry> entries_;
};

}  // namespace pl::nb
