#include "platform/desktop/pl_qt_virtual_key.h"

#include <QGuiApplication>
#include <utility>

#include "platform/hotkeys/pl_hot_key_value.h"

namespace pl {

namespace {

struct QtKeyRow {
    int key;
    std::uint8_t code;
    bool extended;
};

// Keys outside the letters, digits and function keys. The shifted symbols of
// a US keyboard name the key they are on, as Windows' virtual keys do.
constexpr QtKeyRow kQtKeys[] = {
    {Qt::Key_Backspace, 0x08, false},   {Qt::Key_Tab, 0x09, false},          {Qt::Key_Backtab, 0x09, false},
    {Qt::Key_Clear, 0x0C, false},       {Qt::Key_Return, 0x0D, false},       {Qt::Key_Enter, 0x0D, true},
    {Qt::Key_Pause, 0x13, false},       {Qt::Key_CapsLock, 0x14, false},     {Qt::Key_Escape, 0x1B, false},
    {Qt::Key_Space, 0x20, false},       {Qt::Key_PageUp, 0x21, true},        {Qt::Key_PageDown, 0x22, true},
    {Qt::Key_End, 0x23, true},          {Qt::Key_Home, 0x24, true},          {Qt::Key_Left, 0x25, true},
    {Qt::Key_Up, 0x26, true},           {Qt::Key_Right, 0x27, true},         {Qt::Key_Down, 0x28, true},
    {Qt::Key_Print, 0x2C, true},        {Qt::Key_Insert, 0x2D, true},        {Qt::Key_Delete, 0x2E, true},
    {Qt::Key_Help, 0x2F, false},        {Qt::Key_Super_L, 0x5B, true},       {Qt::Key_Super_R, 0x5C, true},
    {Qt::Key_Menu, 0x5D, true},         {Qt::Key_NumLock, 0x90, true},       {Qt::Key_ScrollLock, 0x91, false},
    {Qt::Key_Cancel, 0x03, true},       {Qt::Key_Semicolon, 0xBA, false},    {Qt::Key_Colon, 0xBA, false},
    {Qt::Key_Equal, 0xBB, false},       {Qt::Key_Plus, 0xBB, false},         {Qt::Key_Comma, 0xBC, false},
    {Qt::Key_Less, 0xBC, false},        {Qt::Key_Minus, 0xBD, false},        {Qt::Key_Underscore, 0xBD, false},
    {Qt::Key_Period, 0xBE, false},      {Qt::Key_Greater, 0xBE, false},      {Qt::Key_Slash, 0xBF, false},
    {Qt::Key_Question, 0xBF, false},    {Qt::Key_QuoteLeft, 0xC0, false},    {Qt::Key_AsciiTilde, 0xC0, false},
    {Qt::Key_BracketLeft, 0xDB, false}, {Qt::Key_BraceLeft, 0xDB, false},    {Qt::Key_Backslash, 0xDC, false},
    {Qt::Key_Bar, 0xDC, false},         {Qt::Key_BracketRight, 0xDD, false}, {Qt::Key_BraceRight, 0xDD, false},
    {Qt::Key_Apostrophe, 0xDE, false},  {Qt::Key_QuoteDbl, 0xDE, false},     {Qt::Key_Exclam, '1', false},
    {Qt::Key_At, '2', false},           {Qt::Key_NumberSign, '3', false},    {Qt::Key_Dollar, '4', false},
    {Qt::Key_Percent, '5', false},      {Qt::Key_AsciiCircum, '6', false},   {Qt::Key_Ampersand, '7', false},
    {Qt::Key_Asterisk, '8', false},     {Qt::Key_ParenLeft, '9', false},     {Qt::Key_ParenRight, '0', false},
};

// Keys of the keypad that are not its digits: the keypad's own virtual keys,
// or the navigation keys without the extended flag.
std::optional<PlVirtualKey> KeypadKey(int key)
{
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return PlVirtualKey{static_cast<std::uint8_t>(0x60 + (key - Qt::Key_0)), false};
    switch (key) {
    case Qt::Key_Asterisk: return PlVirtualKey{0x6A, false};
    case Qt::Key_Plus: return PlVirtualKey{0x6B, false};
    case Qt::Key_Minus: return PlVirtualKey{0x6D, false};
    case Qt::Key_Period:
    case Qt::Key_Comma: return PlVirtualKey{0x6E, false};
    case Qt::Key_Slash: return PlVirtualKey{0x6F, true};
    case Qt::Key_Enter:
    case Qt::Key_Return: return PlVirtualKey{0x0D, true};
    default: break;
    }
    for (const QtKeyRow& row : kQtKeys)
        if (row.key == key)
            return PlVirtualKey{row.code, false};
    return std::nullopt;
}

// X11 key codes of the main block on a US keyboard (evdev code + 8), from
// the digit row down.
constexpr std::pair<std::uint32_t, std::uint8_t> kMainBlock[] = {
    {10, '1'},  {11, '2'},  {12, '3'},  {13, '4'},  {14, '5'},  {15, '6'},  {16, '7'},  {17, '8'}, {18, '9'}, {19, '0'},
    {20, 0xBD}, {21, 0xBB}, {24, 'Q'},  {25, 'W'},  {26, 'E'},  {27, 'R'},  {28, 'T'},  {29, 'Y'}, {30, 'U'}, {31, 'I'},
    {32, 'O'},  {33, 'P'},  {34, 0xDB}, {35, 0xDD}, {38, 'A'},  {39, 'S'},  {40, 'D'},  {41, 'F'}, {42, 'G'}, {43, 'H'},
    {44, 'J'},  {45, 'K'},  {46, 'L'},  {47, 0xBA}, {48, 0xDE}, {49, 0xC0}, {51, 0xDC}, {52, 'Z'}, {53, 'X'}, {54, 'C'},
    {55, 'V'},  {56, 'B'},  {57, 'N'},  {58, 'M'},  {59, 0xBC}, {60, 0xBE}, {61, 0xBF},
};

}  // namespace

std::optional<PlVirtualKey> PlVirtualKeyOfQtKey(int key, bool keypad)
{
    if (keypad)
        return KeypadKey(key);
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return PlVirtualKey{static_cast<std::uint8_t>('A' + (key - Qt::Key_A)), false};
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return PlVirtualKey{static_cast<std::uint8_t>('0' + (key - Qt::Key_0)), false};
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return PlVirtualKey{static_cast<std::uint8_t>(0x70 + (key - Qt::Key_F1)), false};
    for (const QtKeyRow& row : kQtKeys)
        if (row.key == key)
            return PlVirtualKey{row.code, row.extended};
    return std::nullopt;
}

std::optional<PlVirtualKey> PlVirtualKeyOfX11KeyCode(std::uint32_t keyCode)
{
    for (const auto& [code, virtualKey] : kMainBlock)
        if (code == keyCode)
            return PlVirtualKey{virtualKey, false};
    return std::nullopt;
}

std::optional<std::uint16_t> PlHotKeyValueOf(int key, Qt::KeyboardModifiers modifiers, std::uint32_t x11KeyCode)
{
    auto virtualKey = PlVirtualKeyOfQtKey(key, modifiers.testFlag(Qt::KeypadModifier));
    const bool modifierKey = key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
                             key == Qt::Key_Meta || key == Qt::Key_AltGr;
    if (!virtualKey && !modifierKey && x11KeyCode != 0)
        virtualKey = PlVirtualKeyOfX11KeyCode(x11KeyCode);
    if (!virtualKey)
        return std::nullopt;
    std::uint16_t value = virtualKey->code;
    if (virtualKey->extended)
        value |= kHotKeyExtended;
    if (modifiers.testFlag(Qt::ShiftModifier))
        value |= kHotKeyShift;
    if (modifiers.testFlag(Qt::ControlModifier))
        value |= kHotKeyCtrl;
    if (modifiers.testFlag(Qt::AltModifier))
        value |= kHotKeyAlt;
    return value;
}

std::optional<std::uint16_t> PlHotKeyValueOf(const QKeyEvent& event)
{
    // Only X11 reports its key codes as the native scan code.
    const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
    return PlHotKeyValueOf(event.key(), event.modifiers(), x11 ? event.nativeScanCode() : 0);
}

}  // namespace pl
