#include "platform/netbios/nb_lana_numbers.h"

#include <algorithm>

namespace pl::nb {

NbLanaPlan NbLanaNumbers::Update(const std::vector<NbInterface>& wanted)
{
    NbLanaPlan plan;
    for (auto it = current_.begin(); it != current_.end();) {
        if (std::ranges::find(wanted, it->second) == wanted.end()) {
            plan.removed.push_back(it->first);
            it = current_.erase(it);
        } else {
            ++it;
        }
    }
    for (const NbInterface& interface : wanted) {
        const bool present =
            std::ranges::any_of(current_, [&](const auto& entry) { return entry.second == interface; });
        if (present)
            continue;
        const auto number = NumberFor(interface);
        if (!number)
            break;  // every number is taken
        current_.emplace(*number, interface);
        Remember(interface, *number);
        plan.added.emplace_back(*number, interface);
    }
    return plan;
}

void NbLanaNumbers::Drop(std::uint8_t number)
{
    current_.erase(number);
}

std::optional<std::uint8_t> NbLanaNumbers::NumberFor(const NbInterface& interface) const
{
    const auto free = [this](std::uint8_t number) { return !current_.contains(number); };
    const auto known = std::ranges::find_if(remembered_, [&](const auto& entry) {
        return entry.first.first == interface.name && entry.first.second == interface.address;
    });
    if (known != remembered_.end() && free(known->second))
        return known->second;
    const auto named = std::find_if(remembered_.rbegin(), remembered_.rend(),
                                    [&](const auto& entry) { return entry.first.first == interface.name; });
    if (named != remembered_.rend() && free(named->second))
        return named->second;
    for (std::size_t number = 0; number < kNumbers; ++number)
        if (!current_.contains(static_cast<std::uint8_t>(number)))
            return static_cast<std::uint8_t>(number);
    return std::nullopt;
}

void NbLanaNumbers::Remember(const NbInterface& interface, std::uint8_t number)
{
    std::erase_if(remembered_, [&](const auto& entry) {
        return entry.first.first == interface.name && entry.first.second == interface.address;
    });
    if (remembered_.size() >= kRemembered)
        remembered_.erase(remembered_.begin());
    remembered_.emplace_back(std::make_pair(interface.name, interface.address), number);
}

}  // namespace pl::nb
