#include "platform/hotkeys/pl_hot_key_value.h"

#include <array>
#include <cstdio>

namespace pl {

namespace {

struct KeyRow {
    std::uint8_t virtualKey;
    std::uint32_t keySym;  // with the extended flag, or for keys that have only one
    // Without the extended flag: the keypad's navigation keys, the main Enter.
    std::uint32_t plainKeySym;  // 0: same as keySym
    const char* name;
    const char* plainName;  // nullptr: same as name
};

// Virtual keys with a fixed symbol and name. Digits, letters and function
// keys follow from their ranges below.
constexpr std::array<KeyRow, 46> kKeys{{
    {0x08, 0xff08, 0, "Backspace", nullptr},
    {0x09, 0xff09, 0, "Tab", nullptr},
    {0x0C, 0xff9d, 0, "Num 5", nullptr},
    {0x0D, 0xff8d, 0xff0d, "Num Enter", "Enter"},
    {0x13, 0xff13, 0, "Pause", nullptr},
    {0x14, 0xffe5, 0, "Caps Lock", nullptr},
    {0x1B, 0xff1b, 0, "Esc", nullptr},
    {0x20, 0x0020, 0, "Space", nullptr},
    {0x21, 0xff55, 0xff9a, "Page Up", "Num 9"},
    {0x22, 0xff56, 0xff9b, "Page Down", "Num 3"},
    {0x23, 0xff57, 0xff9c, "End", "Num 1"},
    {0x24, 0xff50, 0xff95, "Home", "Num 7"},
    {0x25, 0xff51, 0xff96, "Left", "Num 4"},
    {0x26, 0xff52, 0xff97, "Up", "Num 8"},
    {0x27, 0xff53, 0xff98, "Right", "Num 6"},
    {0x28, 0xff54, 0xff99, "Down", "Num 2"},
    {0x2C, 0xff61, 0, "Prnt Scrn", nullptr},
    {0x2D, 0xff63, 0xff9e, "Insert", "Num 0"},
    {0x2E, 0xffff, 0xff9f, "Delete", "Num Del"},
    {0x5B, 0xffeb, 0, "Left Windows", nullptr},
    {0x5C, 0xffec, 0, "Right Windows", nullptr},
    {0x5D, 0xff67, 0, "Application", nullptr},
    {0x6A, 0xffaa, 0, "Num *", nullptr},
    {0x6B, 0xffab, 0, "Num +", nullptr},
    {0x6C, 0xffac, 0, "Num ,", nullptr},
    {0x6D, 0xffad, 0, "Num -", nullptr},
    {0x6E, 0xffae, 0, "Num Del", nullptr},
    {0x6F, 0xffaf, 0, "Num /", nullptr},
    {0x90, 0xff7f, 0, "Num Lock", nullptr},
    {0x91, 0xff14, 0, "Scroll Lock", nullptr},
    {0xBA, 0x003b, 0, ";", nullptr},
    {0xBB, 0x003d, 0, "=", nullptr},
    {0xBC, 0x002c, 0, ",", nullptr},
    {0xBD, 0x002d, 0, "-", nullptr},
    {0xBE, 0x002e, 0, ".", nullptr},
    {0xBF, 0x002f, 0, "/", nullptr},
    {0xC0, 0x0060, 0, "`", nullptr},
    {0xDB, 0x005b, 0, "[", nullptr},
    {0xDC, 0x005c, 0, "\\", nullptr},
    {0xDD, 0x005d, 0, "]", nullptr},
    {0xDE, 0x0027, 0, "'", nullptr},
    {0x10, 0xffe1, 0, "Shift", nullptr},
    {0x11, 0xffe3, 0, "Ctrl", nullptr},
    {0x12, 0xffe9, 0, "Alt", nullptr},
    {0x03, 0xff6b, 0, "Break", nullptr},
    {0x2F, 0xff6a, 0, "Help", nullptr},
}};

const KeyRow* FindKey(std::uint8_t virtualKey)
{
    for (const KeyRow& row : kKeys)
        if (row.virtualKey == virtualKey)
            return &row;
    return nullptr;
}

}  // namespace

std::optional<PlHotKey> PlHotKeyFromValue(std::uint32_t value)
{
    value &= 0xFFFF;
    if ((value & 0xFF) == 0)
        return std::nullopt;  // modifiers without a key are no hot key
    PlHotKey key;
    key.virtualKey = static_cast<std::uint8_t>(value & 0xFF);
    if ((value & kHotKeyCtrl) != 0)
        key.modifiers |= kModControl;
    if ((value & kHotKeyShift) != 0)
        key.modifiers |= kModShift;
    if ((value & kHotKeyAlt) != 0)
        key.modifiers |= kModAlt;
    key.extended = (value & kHotKeyExtended) != 0;
    return key;
}

std::uint32_t PlKeySymOfVirtualKey(std::uint8_t virtualKey, bool extended)
{
    if (virtualKey >= '0' && virtualKey <= '9')
        return virtualKey;
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return virtualKey + ('a' - 'A');  // X11 grabs name the unshifted symbol
    if (virtualKey >= 0x60 && virtualKey <= 0x69)
        return 0xffb0 + (virtualKey - 0x60u);  // keypad digits
    if (virtualKey >= 0x70 && virtualKey <= 0x87)
        return 0xffbe + (virtualKey - 0x70u);  // F1 to F24
    const KeyRow* row = FindKey(virtualKey);
    if (row == nullptr)
        return 0;
    return !extended && row->plainKeySym != 0 ? row->plainKeySym : row->keySym;
}

std::string PlVirtualKeyName(std::uint8_t virtualKey, bool extended)
{
    if ((virtualKey >= '0' && virtualKey <= '9') || (virtualKey >= 'A' && virtualKey <= 'Z'))
        return std::string(1, static_cast<char>(virtualKey));
    // std::string(...).append: GCC 12 takes `"Num " + text` at -O2 and above
    // for an overlapping copy (-Wrestrict).
    if (virtualKey >= 0x60 && virtualKey <= 0x69)
        return std::string("Num ").append(std::to_string(virtualKey - 0x60));
    if (virtualKey >= 0x70 && virtualKey <= 0x87)
        return std::string("F").append(std::to_string(virtualKey - 0x70 + 1));
    const KeyRow* row = FindKey(virtualKey);
    if (row == nullptr) {
        char code[16];
        std::snprintf(code, sizeof code, "Key 0x%02X", virtualKey);
        return code;  // a key without a name still shows which it is
    }
    return !extended && row->plainName != nullptr ? row->plainName : row->name;
}

std::string PlHotKeyText(std::uint32_t value)
{
    const auto key = PlHotKeyFromValue(value);
    if (!key)
        return {};
    std::string text;
    const auto add = [&text](const std::string& part) { text += text.empty() ? part : " + " + part; };
    if ((key->modifiers & kModControl) != 0)
        add("Ctrl");
    if ((key->modifiers & kModShift) != 0)
        add("Shift");
    if ((key->modifiers & kModAlt) != 0)
        add("Alt");
    add(PlVirtualKeyName(key->virtualKey, key->extended));
    return text;
}

}  // namespace pl
