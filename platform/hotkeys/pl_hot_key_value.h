#pragma once
// The 16-bit hot-key value the settings keep (the Windows hot-key control's
// form): the low byte a Windows virtual-key code, the high byte the flags
// 0x01 Shift, 0x02 Ctrl, 0x04 Alt, 0x08 extended key; 0 is no hot key. This
// file converts it to the modifiers of a key grab, to an X11 key symbol,
// and to the text people read ("Ctrl + Shift + F5").

#include <cstdint>
#include <optional>
#include <string>

namespace pl {

inline constexpr std::uint16_t kHotKeyShift = 0x0100;
inline constexpr std::uint16_t kHotKeyCtrl = 0x0200;
inline constexpr std::uint16_t kHotKeyAlt = 0x0400;
inline constexpr std::uint16_t kHotKeyExtended = 0x0800;

// The modifiers of a registration, in the system's hot-key form.
inline constexpr std::uint32_t kModAlt = 1;
inline constexpr std::uint32_t kModControl = 2;
inline constexpr std::uint32_t kModShift = 4;

struct PlHotKey {
    std::uint8_t virtualKey = 0;
    std::uint32_t modifiers = 0;  // kMod* flags; the extended flag is dropped
    bool extended = false;        // kept to tell the navigation keys from the keypad's
};

// The registration a value asks for; nullopt when it names no key (0, or
// modifiers alone).
std::optional<PlHotKey> PlHotKeyFromValue(std::uint32_t value);

// The X11 key symbol of a virtual key (navigation keys without the extended
// flag are the keypad's); 0 when the key has none.
std::uint32_t PlKeySymOfVirtualKey(std::uint8_t virtualKey, bool extended);

// The key's own name ("A", "F5", "Page Up", "Num 9"); "Key 0xNN" for a key
// without a name.
std::string PlVirtualKeyName(std::uint8_t virtualKey, bool extended);

// "Ctrl + Shift + Alt + key", the modifiers present in that order; empty for 0.
std::string PlHotKeyText(std::uint32_t value);

}  // namespace pl
