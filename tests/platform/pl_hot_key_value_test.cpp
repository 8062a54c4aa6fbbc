// Hot-key values: the modifiers of the grab, the key symbol and the text
// people read, with the extended flag telling navigation keys from the
// keypad's.

#include <gtest/gtest.h>

#include "platform/hotkeys/pl_hot_key_value.h"

using namespace pl;

TEST(HotKeyValue, ModifiersAndKey)
{
    EXPECT_FALSE(PlHotKeyFromValue(0));
    const auto key = PlHotKeyFromValue(kHotKeyCtrl | kHotKeyAlt | 'M');
    ASSERT_TRUE(key);
    EXPECT_EQ(key->virtualKey, 'M');
    EXPECT_EQ(key->modifiers, kModControl | kModAlt);
    // Only the extended flag and a key: no modifiers at all.
    const auto extendedOnly = PlHotKeyFromValue(kHotKeyExtended | 0x21);
    EXPECT_EQ(extendedOnly->modifiers, 0u);
    EXPECT_TRUE(extendedOnly->extended);
}

TEST(HotKeyValue, TextNamesModifiersInOrderThenTheKey)
{
    EXPECT_EQ(PlHotKeyText(0), "");
    EXPECT_EQ(PlHotKeyText(kHotKeyAlt | kHotKeyShift | kHotKeyCtrl | 0x70), "Ctrl + Shift + Alt + F1");
    EXPECT_EQ(PlHotKeyText(kHotKeyShift | '7'), "Shift + 7");
    EXPECT_EQ(PlHotKeyText(kHotKeyCtrl | kHotKeyExtended | 0x21), "Ctrl + Page Up");
    EXPECT_EQ(PlHotKeyText(kHotKeyCtrl | 0x21), "Ctrl + Num 9");
    EXPECT_EQ(PlHotKeyText(0x87), "F24");
    EXPECT_EQ(PlHotKeyText(kHotKeyCtrl | 0xE7), "Ctrl + Key 0xE7");
    EXPECT_EQ(PlHotKeyText(kHotKeyCtrl | kHotKeyAlt), "");  // modifiers alone are no hot key
}

TEST(HotKeyValue, KeySymbolsOfX11)
{
    EXPECT_EQ(PlKeySymOfVirtualKey('A', false), 0x61u);  // the unshifted letter
    EXPECT_EQ(PlKeySymOfVirtualKey(0x70, false), 0xffbeu);
    EXPECT_EQ(PlKeySymOfVirtualKey(0x21, true), 0xff55u);   // Prior
    EXPECT_EQ(PlKeySymOfVirtualKey(0x21, false), 0xff9au);  // KP_Prior
    EXPECT_EQ(PlKeySymOfVirtualKey(0xFF, false), 0u);
}
