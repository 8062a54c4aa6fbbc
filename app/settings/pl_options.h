#pragma once
// PlOptions: the option maps of the main window and their storage. The
// current map holds the options in force; the pending map holds what the
// options window changed and has not applied yet. Options reach the registry
// file only through SaveOptions; option 1 (start at log-in) lives in the
// autostart entry instead.
//
// Used on the user-interface thread only; no lock.

#include "app/settings/pl_option_value.h"
#include "platform/registry/pl_registry_file.h"
#include "platform/xdg/pl_autostart.h"

#include <cstdint>
#include <map>
#include <string>

class PlOptionHooks;

class PlOptions {
public:
    // `registry` and `autostart` must outlive the object. `programPath` is
    // what the autostart entry starts.
    PlOptions(PlRegistryFile& registry, const PlAutostart& autostart, std::string programPath);

    // The current value; an id not yet in the map is added with an empty value.
    OptionValue& Option(std::int32_t id);
    // The pending value when the id is pending, else the current value.
    OptionValue EditedOption(std::int32_t id);
    void SetPendingOption(std::int32_t id, const OptionValue& value);
    // Empties the pending map (when the options window opens).
    void ClearPendingOptions();

    // Moves the pending values into the current map, lets `hooks` apply those
    // with immediate effects, then saves. The pending map stays as it is.
    void ApplyPendingOptions(PlOptionHooks& hooks);

    void LoadOptions();
    void SaveOptions();

private:
    void LoadFromHive(const PlRegistryHive& hive);

    PlRegistryFile& registry_;
    const PlAutostart& autostart_;
    std::string programPath_;
    std::map<std::int32_t, OptionValue> current_;
    std::map<std::int32_t, OptionValue> pending_;
};
