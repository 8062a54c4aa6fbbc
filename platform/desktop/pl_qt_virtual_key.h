#pragma once
// The 16-bit hot-key value (platform/hotkeys/pl_hot_key_value.h) of a Qt key
// press: the Windows virtual-key code of the key, with the extended flag
// where Windows sets it (navigation keys outside the keypad, keypad Enter
// and "/", the Windows and menu keys), and the flags of Ctrl, Shift and Alt.
// A key the layout reports as a character without a virtual key (a Cyrillic
// letter) is found by its position on the keyboard when the key press says
// which X11 key it was.
//
// Pure functions; any thread.

#include <QKeyEvent>
#include <cstdint>
#include <optional>

namespace pl {

struct PlVirtualKey {
    std::uint8_t code = 0;
    bool extended = false;
};

// The virtual key of a Qt key; `keypad` when the key is on the keypad.
// None for modifier keys and keys without a virtual key.
std::optional<PlVirtualKey> PlVirtualKeyOfQtKey(int key, bool keypad);

// The virtual key at the position of an X11 key code (evdev code + 8) on a
// US keyboard, for the keys of the main block; none elsewhere.
std::optional<PlVirtualKey> PlVirtualKeyOfX11KeyCode(std::uint32_t keyCode);

// The hot-key value of a key press; none while only modifiers are pressed,
// and for keys without a virtual key.
std::optional<std::uint16_t> PlHotKeyValueOf(int key, Qt::KeyboardModifiers modifiers, std::uint32_t x11KeyCode);
std::optional<std::uint16_t> PlHotKeyValueOf(const QKeyEvent& event);

}  // namespace pl
