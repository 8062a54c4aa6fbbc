#include "app/settings/pl_window_placement.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>

namespace {

constexpr std::array<std::pair<std::uint32_t, const char*>, 6> kParts{{
    {kPlPlacementTop, "Top"},
    {kPlPlacementLeft, "Left"},
    {kPlPlacementHeight, "Height"},
    {kPlPlacementWidth, "Width"},
    {kPlPlacementState, "State"},
    {kPlPlacementVisible, "Visible"},
}};

// Sums and differences of coordinates from a file may be anything; they are
// held within 32 bits rather than overflow.
std::int32_t Clamped(std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

std::int32_t StoredValue(const PlWindowPlacement& placement, std::uint32_t part)
{
    switch (part) {
    case kPlPlacementTop: return placement.top;
    case kPlPlacementLeft: return placement.left;
    case kPlPlacementHeight: return Clamped(std::int64_t{placement.bottom} - placement.top);
    case kPlPlacementWidth: return Clamped(std::int64_t{placement.right} - placement.left);
    case kPlPlacementState:
        return placement.show == PlWindowPlacement::Show::Minimised   ? 1
               : placement.show == PlWindowPlacement::Show::Maximised ? 2
                                                                      : 0;
    default: return placement.visible ? 1 : 0;
    }
}

void Restore(PlWindowPlacement& placement, std::uint32_t part, std::int32_t value)
{
    switch (part) {
    case kPlPlacementTop: placement.top = value; break;
    case kPlPlacementLeft: placement.left = value; break;
    case kPlPlacementHeight: placement.bottom = Clamped(std::int64_t{placement.top} + value); break;
    case kPlPlacementWidth: placement.right = Clamped(std::int64_t{placement.left} + value); break;
    case kPlPlacementState:
        placement.show = value == 1   ? PlWindowPlacement::Show::Minimised
                         : value == 2 ? PlWindowPlacement::Show::Maximised
                                      : PlWindowPlacement::Show::Normal;
        break;
    default: placement.visible = value != 0; break;
    }
}

// A placement value counts only when it is a number; text is as good as
// missing.
std::optional<std::int32_t> Number(const PlRegistryHive& hive, const std::string& key, const char* name)
{
    const PlRegistryValue* value = hive.Find(key, name);
    if (value == nullptr || value->type == kPlRegSz)
        return std::nullopt;
    return static_cast<std::int32_t>(value->AsNumber());
}

}  // namespace

std::string PlPlacementStore::KeyOf(const std::string& name)
{
    return "\\Software\\Parlino Software\\Parlino Messenger\\Windows\\" + name;
}

PlPlacementStore::PlPlacementStore(PlRegistryFile& registry) : registry_(registry) {}

bool PlPlacementStore::RestorePlacement(const std::string& name, PlWindowPlacement& placement, std::uint32_t mask)
{
    const PlRegistryFile::Snapshot snapshot = registry_.Read();
    const std::string key = PlRegistryHive::CurrentUserPath(KeyOf(name));
    PlWindowPlacement restored = placement;
    for (const auto& [part, valueName] : kParts) {
        if ((mask & part) == 0)
            continue;
        const auto value = Number(snapshot.hive, key, valueName);
        if (!value)
            return false;
        Restore(restored, part, *value);
    }
    placement = restored;
    return true;
}

bool PlPlacementStore::SavePlacement(const std::string& name, const PlWindowPlacement& placement, std::uint32_t mask)
{
    PlRegistryFile::Snapshot snapshot = registry_.Read();
    if (snapshot.state == PlRegistryFile::State::Unreadable)
        return false;
    const std::string key = PlRegistryHive::CurrentUserPath(KeyOf(name));
    snapshot.hive.CreateKey(key);
    for (const auto& [part, valueName] : kParts)
        if ((mask & part) != 0)
            snapshot.hive.Set(key, valueName,
                              PlRegistryValue::Dword(static_cast<std::uint32_t>(StoredValue(placement, part))));
    return registry_.Write(snapshot.hive);
}
