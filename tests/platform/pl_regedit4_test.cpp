#include "platform/registry/pl_regedit4.h"

#include <gtest/gtest.h>

using namespace std::literals;

namespace {

constexpr char kOptions[] = "HKEY_CURRENT_USER\\Software\\Parlino Software\\Parlino Messenger\\Options";

// Every key and value of a hive as one comparable text.
std::string Dump(const PlRegistryHive& hive)
{
    std::string out;
    for (const auto& key : hive.Keys()) {
        out += "[" + key.path + "]";
        for (const auto& [name, value] : key.values)
            out += "{" + name + ":" + std::to_string(value.type) + ":" + value.data + "}";
    }
    return out;
}

TEST(PlRegedit4, ReadsWhatRegeditWrites)
{
    const auto parsed = pl::regedit4::Parse(
        "REGEDIT4\r\n"
        "\r\n"
        "; exported by hand\r\n"
        "[HKEY_CURRENT_USER\\Software\\Parlino Software\\Parlino Messenger\\Options]\r\n"
        "\"SysLanguageFile\"=\"russian.lng\"\r\n"
        "\"SoundEventIncMsgPriv\"=\"C:\\\\Sounds\\\\\\\"ding\\\".wav\"\r\n"
        "\"RecvMsgPopWndDeadline\"=dword:0000001e\r\n"
        "\"HotKeyBrowseLan\"=DWORD:FFFFFFFF\r\n"
        "@=\"default value\"\r\n"
        "\"Blob\"=hex:01,02,03,\\\r\n"
        "  04,ff\r\n"
        "\"Multi\"=hex(7):61,00,00,00\r\n"
        "\"Text\"=hex(1):41,42,0a,43,00\r\n");
    EXPECT_EQ(parsed.damagedLines, 0u);
    const PlRegistryHive& hive = parsed.hive;
    ASSERT_TRUE(hive.HasKey("hkey_current_user\\software\\parlino software\\parlino messenger\\options"));
    EXPECT_EQ(hive.Find(kOptions, "syslanguagefile")->AsText(), "russian.lng");
    EXPECT_EQ(hive.Find(kOptions, "SoundEventIncMsgPriv")->AsText(), "C:\\Sounds\\\"ding\".wav");
    EXPECT_EQ(hive.Find(kOptions, "RecvMsgPopWndDeadline")->AsNumber(), 30u);
    EXPECT_EQ(hive.Find(kOptions, "HotKeyBrowseLan")->AsNumber(), 0xFFFFFFFFu);
    EXPECT_EQ(hive.Find(kOptions, "")->AsText(), "default value");
    EXPECT_EQ(*hive.Find(kOptions, "Blob"), (PlRegistryValue{kPlRegBinary, "\x01\x02\x03\x04\xff"}));
    EXPECT_EQ(*hive.Find(kOptions, "Multi"), (PlRegistryValue{7, "a\0\0\0"s}));
    EXPECT_EQ(*hive.Find(kOptions, "Text"), PlRegistryValue::Text("AB\nC"));
}

TEST(PlRegedit4, WritesAReadableFile)
{
    PlRegistryHive hive;
    hive.Set(kOptions, "SysLanguageFile", PlRegistryValue::Text("C:\\lang \"de\".lng"));
    hive.Set(kOptions, "SoundEnabled", PlRegistryValue::Dword(1));
    hive.CreateKey("HKEY_CURRENT_USER\\Empty");
    EXPECT_EQ(pl::regedit4::Format(hive),
              "REGEDIT4\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Parlino Software\\Parlino Messenger\\Options]\n"
              "\"SysLanguageFile\"=\"C:\\\\lang \\\"de\\\".lng\"\n"
              "\"SoundEnabled\"=dword:00000001\n"
              "\n"
              "[HKEY_CURRENT_USER\\Empty]\n"
              "\n");
}

TEST(PlRegedit4, EveryValueSurvivesARoundTrip)
{
    PlRegistryHive hive;
    hive.Set(kOptions, "", PlRegistryValue::Text("default"));
    hive.Set(kOptions, "Lines", PlRegistryValue::Text("one\r\ntwo\0three"s));
    hive.Set(kOptions, "Tab and ünïcödé", PlRegistryValue::Text("a\tb ] [x] ; \"q\" \\"));
    hive.Set(kOptions, "Empty", PlRegistryValue::Text(""));
    hive.Set(kOptions, "Negative", PlRegistryValue::Dword(static_cast<std::uint32_t>(-5)));
    hive.Set(kOptions, "Short dword", PlRegistryValue{kPlRegDword, "\x01\x02"});
    hive.Set(kOptions, "Long binary", PlRegistryValue{kPlRegBinary, std::string(300, '\xAB')});
    hive.Set(kOptions, "Odd type", PlRegistryValue{0x12345678, "xyz"});
    hive.Set(kOptions, "Empty binary", PlRegistryValue{kPlRegBinary, ""});
    hive.Set("HKEY_CURRENT_USER\\Odd ] key [", "v", PlRegistryValue::Dword(7));
    const std::string text = pl::regedit4::Format(hive);
    for (const auto line : {"\"Lines\"=hex(1):"sv, "\"Long binary\"=hex:ab,"sv})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    std::size_t longest = 0;
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        longest = std::max(longest, end - start);
    EXPECT_LE(longest, 80u);  // hex data is wrapped
    const auto parsed = pl::regedit4::Parse(text);
    EXPECT_EQ(parsed.damagedLines, 0u);
    EXPECT_EQ(Dump(parsed.hive), Dump(hive));
}

TEST(PlRegedit4, DamagedLinesAreSkippedAndTheRestLoads)
{
    const auto parsed = pl::regedit4::Parse(
        "\"Orphan\"=dword:00000001\n"    // no header (1), no key yet (2)
        "[HKEY_CURRENT_USER\\Broken\n"   // 3: no closing bracket
        "\"InBroken\"=dword:00000001\n"  // 4: no key
        "[HKEY_CURRENT_USER\\Good]\n"
        "\"A\"=dword:123456789\n"    // 5: nine digits
        "\"B\"=\"unterminated\n"     // 6
        "\"C\"=hex:1,zz\n"           // 7
        "\"D\"=hex(:00\n"            // 8
        "\"E\"\n"                    // 9
        "\"F\"=\"trailing\" junk\n"  // 10
        "garbage \x01\xff\n"         // 11
        "\"Kept\"=dword:2a\n"
        "\"Gone\"=dword:1\n"
        "\"Gone\"=-\n"
        "[-HKEY_CURRENT_USER\\Deleted]\n"
        "\"UnderDeleted\"=dword:1\n");  // 12: no key
    EXPECT_EQ(parsed.damagedLines, 12u);
    EXPECT_EQ(parsed.hive.Keys().size(), 1u);
    EXPECT_EQ(parsed.hive.Find("HKEY_CURRENT_USER\\Good", "Kept")->AsNumber(), 42u);
    EXPECT_EQ(parsed.hive.Find("HKEY_CURRENT_USER\\Good", "Gone"), nullptr);
}

TEST(PlRegedit4, AcceptsTheLaterHeader)
{
    const auto parsed =
        pl::regedit4::Parse("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\K]\n@=dword:1\n");
    EXPECT_EQ(parsed.damagedLines, 0u);
    EXPECT_EQ(parsed.hive.Find("HKEY_CURRENT_USER\\K", "")->AsNumber(), 1u);
}

TEST(PlRegistryHive, ValuesKeepTheirOrderAndIgnoreCase)
{
    PlRegistryHive hive;
    hive.Set("K", "b", PlRegistryValue::Dword(1));
    hive.Set("K", "a", PlRegistryValue::Dword(2));
    hive.Set("k", "B", PlRegistryValue::Dword(3));
    hive.Set("K", "c", PlRegistryValue::Dword(4));
    hive.Erase("K", "A");
    hive.Erase("missing", "x");
    ASSERT_EQ(hive.Keys().size(), 1u);
    const auto& values = hive.Keys()[0].values;
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].first, "b");
    EXPECT_EQ(values[0].second.AsNumber(), 3u);
    EXPECT_EQ(hive.Find("K", "C")->AsNumber(), 4u);
    EXPECT_EQ(PlRegistryHive::CurrentUserPath("\\Software\\X"), "HKEY_CURRENT_USER\\Software\\X");
}

TEST(PlRegistryValue, ReadsNumbersAsADwordBuffer)
{
    EXPECT_EQ((PlRegistryValue{kPlRegBinary, "\x01"}).AsNumber(), 1u);
    EXPECT_EQ((PlRegistryValue{kPlRegBinary, "\x01\x02\x03\x04\x05"}).AsNumber(), 0x04030201u);
    EXPECT_EQ(PlRegistryValue::Text("12").AsNumber(), 0x3231u);
    EXPECT_EQ(PlRegistryValue::Dword(5).AsText(), "");
    EXPECT_EQ(PlRegistryValue::Text("a\0b"sv).AsText(), "a");
}

}  // namespace
