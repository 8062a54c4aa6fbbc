#pragma once
// PlOptionHooks: what applying options changes outside the option maps. The
// main window implements it with its hot-key dispatcher, the archive window
// and the archive's data sets.

#include <cstdint>

class PlOptionHooks {
public:
    virtual ~PlOptionHooks() = default;

    // Hot keys by option id (21 to 24) and hot-key value (0 = none).
    virtual void UnregisterHotKey(std::int32_t id) = 0;
    virtual void RegisterHotKey(std::int32_t id, std::int32_t hotKey) = 0;
    virtual void EnableHotKeys(bool enabled) = 0;

    // The archive window, when open, becomes topmost or not.
    virtual void SetArchiveTopmost(bool topmost) = 0;
    // The received, sent and dialog lists of the archive show `days` days.
    virtual void SetArchiveShowDays(std::int32_t days) = 0;
};
