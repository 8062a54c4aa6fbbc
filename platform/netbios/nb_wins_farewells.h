#pragma once
// NbWinsFarewells: the names adapters held at the WINS server when their
// address went away, with that address. Such a name could not be released
// from the address itself; an adapter that registers it again first sends the
// server a release for the old address, so that the server lets the name move
// at once instead of asking the vanished address first. Entries last a few
// minutes. The provider owns it; its adapters' name services use it as loop
// code.

#include "platform/netbios/nb_clock.h"
#include "platform/text/pl_netbios_name.h"

#include <chrono>
#include <cstdint>
#include <vector>

namespace pl::nb {

class NbWinsFarewells {
public:
    static constexpr auto kLifetime = std::chrono::minutes(5);

    struct Entry {
        NetbiosNameBytes name{};
        bool group = false;
        std::uint32_t address = 0;  // the old one, host order
        PlNetbiosClock::TimePoint until{};
    };

    void Add(const NetbiosNameBytes& name, bool group, std::uint32_t oldAddress, PlNetbiosClock::TimePoint now)
    {
        Forget(name, oldAddress);
        entries_.push_back(Entry{name, group, oldAddress, now + kLifetime});
    }
    // The old addresses of `name` that the server may still hold.
    std::vector<Entry> Of(const NetbiosNameBytes& name, PlNetbiosClock::TimePoint now)
    {
        std::erase_if(entries_, [now](const Entry& entry) { return entry.until <= now; });
        std::vector<Entry> found;
        for (const Entry& entry : entries_)
            if (entry.name == name)
                found.push_back(entry);
        return found;
    }
    // The server holds `name` at `address` now: an old entry there is done.
    void Forget(const NetbiosNameBytes& name, std::uint32_t address)
    {
        std::erase_if(entries_, [&](const Entry& entry) { return entry.name == name && entry.address == address; });
    }
    void Forget(const NetbiosNameBytes& name)
    {
        std::erase_if(entries_, [&](const Entry& entry) { return entry.name == name; });
    }

private:
    std::vector<Entry> entries_;
};

}  // namespace pl::nb
