#pragma once
// Window placements by name: where a window was, how large, whether it was
// minimised or maximised and whether it was visible, kept in the registry
// file under "...\Parlino Messenger\Windows\<name>". A parts mask chooses
// which values a window saves and restores. The windows convert between
// their own geometry and PlWindowPlacement.
//
// Used on the user-interface thread only.

#include "platform/registry/pl_registry_file.h"

#include <cstdint>
#include <string>

// Bits of the parts mask.
enum PlPlacementPart : std::uint32_t {
    kPlPlacementTop = 1,
    kPlPlacementLeft = 2,
    kPlPlacementHeight = 4,
    kPlPlacementWidth = 8,
    kPlPlacementState = 16,
    kPlPlacementVisible = 32,
};

struct PlWindowPlacement {
    enum class Show { Normal, Minimised, Maximised };

    // The normal (restored) rectangle.
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    Show show = Show::Normal;
    bool visible = false;

    bool operator==(const PlWindowPlacement&) const = default;
};

class PlPlacementStore {
public:
    // The registry key of a window's placement, below HKEY_CURRENT_USER.
    static std::string KeyOf(const std::string& name);

    // `registry` must outlive the store.
    explicit PlPlacementStore(PlRegistryFile& registry);

    // Fills the parts of `placement` that `mask` asks for and returns true
    // when every one of them is stored; otherwise leaves `placement` as it
    // was and returns false. Values are applied from bit 1 to bit 32, so a
    // restored height counts from a restored top.
    bool RestorePlacement(const std::string& name, PlWindowPlacement& placement, std::uint32_t mask);
    // Stores the parts of `placement` that `mask` asks for; false when the
    // file could not be written.
    bool SavePlacement(const std::string& name, const PlWindowPlacement& placement, std::uint32_t mask);

private:
    PlRegistryFile& registry_;
};
