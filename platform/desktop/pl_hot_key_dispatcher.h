#pragma once
// PlHotKeyDispatcher: system-wide hot keys. On an X11 session each hot key is
// a key grab on the root window (taken with and without Caps Lock and Num
// Lock, which would otherwise hide the key); a press calls the key's action.
// Elsewhere (Wayland) Available() is false, registrations do nothing, and the
// desktop's own shortcuts start `parlino --write` and the other actions.
// Registration failures (a combination another program holds) are ignored.
//
// User-interface thread only.

#include <xcb/xcb_keysyms.h>

#include <QAbstractNativeEventFilter>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>

#include "platform/hotkeys/pl_hot_key_value.h"

class PlHotKeyDispatcher : public QAbstractNativeEventFilter {
public:
    using Action = std::function<void()>;

    PlHotKeyDispatcher();
    PlHotKeyDispatcher(const PlHotKeyDispatcher&) = delete;
    PlHotKeyDispatcher& operator=(const PlHotKeyDispatcher&) = delete;
    ~PlHotKeyDispatcher() override;

    bool Available() const { return connection_ != nullptr; }

    // Sets (or replaces) the hot key `id` from a 16-bit hot-key value; while
    // active it is grabbed at once. A value of 0 only removes the key.
    void Set(int id, std::uint32_t value, Action action);
    void Remove(int id);
    void Activate();
    void Deactivate();
    bool IsActive() const { return active_; }

    // Runs the action of the key with these X11 key code and modifier state,
    // as a key press does; false when no entry matches.
    bool Press(std::uint8_t keyCode, std::uint16_t state);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    struct Entry {
        pl::PlHotKey key;
        Action action;
        std::optional<std::uint8_t> keyCode;  // none: the keyboard has no such key
    };

    void Grab(Entry& entry, bool grab);

    xcb_connection_t* connection_ = nullptr;
    std::uint32_t root_ = 0;
    xcb_key_symbols_t* symbols_ = nullptr;
    std::map<int, Entry> entries_;
    bool active_ = false;
};
