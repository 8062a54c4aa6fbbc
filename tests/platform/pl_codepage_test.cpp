#include "platform/text/pl_codepage.h"
#include "platform/text/pl_case.h"
#include "platform/text/pl_utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(OemCodePage, FollowsTheLocaleAsWindowsDoes)
{
    EXPECT_EQ(pl::OemCodePageForLocale("en_US.UTF-8"), "CP437");
    EXPECT_EQ(pl::OemCodePageForLocale("en_GB.UTF-8"), "CP850");
    EXPECT_EQ(pl::OemCodePageForLocale("de_DE.UTF-8"), "CP850");
    EXPECT_EQ(pl::OemCodePageForLocale("fr_FR@euro"), "CP850");
    EXPECT_EQ(pl::OemCodePageForLocale("ru_RU.UTF-8"), "CP866");
    EXPECT_EQ(pl::OemCodePageForLocale("pl_PL"), "CP852");
    EXPECT_EQ(pl::OemCodePageForLocale("cs_CZ.UTF-8"), "CP852");
    EXPECT_EQ(pl::OemCodePageForLocale("el_GR.UTF-8"), "CP737");
    EXPECT_EQ(pl::OemCodePageForLocale("tr_TR.UTF-8"), "CP857");
    EXPECT_EQ(pl::OemCodePageForLocale("zh_TW.UTF-8"), "CP950");
    EXPECT_EQ(pl::OemCodePageForLocale("C"), "CP437");
    EXPECT_EQ(pl::OemCodePageForLocale("POSIX"), "CP437");
    EXPECT_EQ(pl::OemCodePageForLocale(""), "CP437");
}

TEST(OemCodePage, OverrideWinsAndUnknownNamesAreRefused)
{
    ASSERT_TRUE(pl::SetOemCodePage("CP866"));
    EXPECT_EQ(pl::OemCodePage(), "CP866");
    EXPECT_FALSE(pl::SetOemCodePage("NO-SUCH-CODEPAGE"));
    EXPECT_EQ(pl::OemCodePage(), "CP866");
    ASSERT_TRUE(pl::SetOemCodePage(""));
    EXPECT_NE(pl::OemCodePage(), "CP866");
}

TEST(OemConversion, RoundTripsTextTheCodePageHolds)
{
    EXPECT_EQ(pl::AnsiToOem("Grüße", "CP850"),
              "Gr\x81\xE1"
              "e");
    EXPECT_EQ(pl::OemToAnsi("Gr\x81\xE1"
                            "e",
                            "CP850"),
              "Grüße");
    EXPECT_EQ(pl::AnsiToOem("Привет", "CP866"), "\x8F\xE0\xA8\xA2\xA5\xE2");
    EXPECT_EQ(pl::OemToAnsi(pl::AnsiToOem("Привет", "CP866"), "CP866"), "Привет");
}

TEST(OemConversion, UnmappableCharactersBecomeOneQuestionMarkEach)
{
    EXPECT_EQ(pl::AnsiToOem("a€b", "CP437"), "a?b");
    EXPECT_EQ(pl::AnsiToOem("日本", "CP850"), "??");
    EXPECT_EQ(pl::AnsiToOem("Привет", "CP850"), "??????");
}

TEST(OemConversion, IllFormedUtf8NeverCrashesAndNeverLeaksPartialSequences)
{
    const std::string broken =
        "ok\xC3"
        "x\xE2\x82"
        "\xFF\xF0\x9F\x98";
    const std::string oem = pl::AnsiToOem(broken, "CP850");
    EXPECT_EQ(oem.substr(0, 2), "ok");
    EXPECT_NE(oem.find('x'), std::string::npos);
    EXPECT_TRUE(pl::utf8::IsValid(pl::OemToAnsi(oem, "CP850")));
}

TEST(OemConversion, EveryOemByteDecodesToValidUtf8)
{
    std::string all;
    for (int byte = 1; byte < 256; ++byte)
        all += static_cast<char>(byte);
    for (const char* codepage : {"CP437", "CP850", "CP852", "CP866", "CP737", "CP857", "CP932"})
        EXPECT_TRUE(pl::utf8::IsValid(pl::OemToAnsi(all, codepage))) << codepage;
}

TEST(OemConversion, UnknownCodePageFallsBackToAscii)
{
    EXPECT_EQ(pl::AnsiToOem("abc€", "NO-SUCH-CODEPAGE"), "abc?");
}

TEST(UpperCase, IsUnicodeAware)
{
    EXPECT_EQ(pl::UpperCase("müller"), "MÜLLER");
    EXPECT_EQ(pl::UpperCase("иван"), "ИВАН");
    EXPECT_EQ(pl::UpperCase("élodie ångström"), "ÉLODIE ÅNGSTRÖM");
    EXPECT_EQ(pl::UpperCase("abc-123_x"), "ABC-123_X");
    EXPECT_EQ(pl::UpperCase("a\xFFz"), "A\xFFZ");  // ill-formed bytes are kept
    EXPECT_TRUE(pl::EqualsIgnoreCase("Иван", "иВАН"));
    // ASCII is compared in place; the answer must stay that of the upper-case forms.
    EXPECT_TRUE(pl::EqualsIgnoreCase("alice", "ALICE"));
    EXPECT_FALSE(pl::EqualsIgnoreCase("bob", "bobby"));
    EXPECT_FALSE(pl::EqualsIgnoreCase("ab", "abé"));
    EXPECT_TRUE(pl::EqualsIgnoreCase("Müller", "MÜLLER"));
    EXPECT_TRUE(pl::EqualsIgnoreCase("a\xFFz", "A\xFFZ"));
    EXPECT_TRUE(pl::EqualsIgnoreCase("", ""));
}

TEST(Utf8, CutsOnlyAtCharacterBoundaries)
{
    const std::string text = "aé€😀";  // 1 + 2 + 3 + 4 bytes
    EXPECT_EQ(pl::utf8::PrefixBytes(text, 2), "a");
    EXPECT_EQ(pl::utf8::PrefixBytes(text, 3), "aé");
    EXPECT_EQ(pl::utf8::PrefixBytes(text, 9), "aé€");
    EXPECT_EQ(pl::utf8::PrefixChars(text, 3), "aé€");
    EXPECT_EQ(pl::utf8::CharCount(text), 4u);
    EXPECT_TRUE(pl::utf8::IsNonAsciiUtf8(text));
    EXPECT_FALSE(pl::utf8::IsNonAsciiUtf8("plain"));
    EXPECT_FALSE(pl::utf8::IsNonAsciiUtf8("\x81\xE1"));  // CP850 bytes, not UTF-8
    EXPECT_FALSE(pl::utf8::IsValid("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(pl::utf8::IsValid("\xC0\xAF"));         // overlong
}

}  // namespace
