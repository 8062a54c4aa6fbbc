#pragma once
// NbLanaNumbers: the bookkeeping of which LANA number each usable interface
// has while the interfaces come, go and change address. An interface that
// stays keeps its number; one whose address or broadcast address changed is
// removed and added again. An interface that is added takes, when free, the
// number it had before with the same address, else the number its name had
// last (so an interface keeps its number across an address change, as an
// adapter does on Windows), else the lowest free number. Pure bookkeeping:
// the provider carries out the plan. Not thread-safe; the provider uses it
// as loop code.

#include "platform/netbios/nb_interfaces.h"

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace pl::nb {

struct NbLanaPlan {
    std::vector<std::uint8_t> removed;                        // first
    std::vector<std::pair<std::uint8_t, NbInterface>> added;  // then, in the order wanted

    bool Empty() const { return removed.empty() && added.empty(); }
};

class NbLanaNumbers {
public:
    static constexpr std::size_t kNumbers = 255;  // 0 ... MAX_LANA
    static constexpr std::size_t kRemembered = 255;

    // Brings the numbers in line with the interfaces `wanted` now and says
    // which LANAs to remove and which to add. Interfaces beyond the last free
    // number are left out.
    NbLanaPlan Update(const std::vector<NbInterface>& wanted);
    // An addition that could not be carried out: the number is free again and
    // the interface counts as absent, so the next Update adds it again.
    void Drop(std::uint8_t number);

    const std::map<std::uint8_t, NbInterface>& Current() const { return current_; }

private:
    std::optional<std::uint8_t> NumberFor(const NbInterface& interface) const;
    void Remember(const NbInterface& interface, std::uint8_t number);

    std::map<std::uint8_t, NbInterface> current_;
    // (name, address) -> number, most recently used last.
    std::vector<std::pair<std::pair<std::string, std::uint32_t>, std::uint8_t>> remembered_;
};

}  // namespace pl::nb
