#include "platform/text/pl_netbios_name.h"
#include "platform/identity/pl_computer_name.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string AsString(const pl::NetbiosNameBytes& form)
{
    return std::string(form.begin(), form.end());
}

TEST(NetbiosNameForm, FifteenCharactersFillBytesOneToFifteen)
{
    const auto form = pl::MakeNetbiosName("ABCDEFGHIJKLMNO", 0x03, "CP437");
    EXPECT_EQ(AsString(form), std::string("ABCDEFGHIJKLMNO\x03", 16));
}

TEST(NetbiosNameForm, LongerNamesAreCutAndShortOnesPadded)
{
    EXPECT_EQ(AsString(pl::MakeNetbiosName("ABCDEFGHIJKLMNOPQRST", 0x03, "CP437")),
              std::string("ABCDEFGHIJKLMNO\x03", 16));
    EXPECT_EQ(AsString(pl::MakeNetbiosName("PC1", 0x00, "CP437")), std::string("PC1            \x00", 16));
    EXPECT_EQ(AsString(pl::MakeNetbiosName("", 0x20, "CP437")), std::string(15, ' ') + "\x20");
}

TEST(NetbiosNameForm, ConvertsToTheOemCodePage)
{
    EXPECT_EQ(AsString(pl::MakeNetbiosName("ИВАН", 0x03, "CP866")), std::string("\x88\x82\x80\x8D           \x03", 16));
    EXPECT_EQ(AsString(pl::MakeNetbiosName("€URO", 0x03, "CP437")), std::string("?URO           \x03", 16));
}

TEST(NetbiosNameForm, NeverSplitsADoubleByteCharacter)
{
    // Eight two-byte characters in CP932 take 16 bytes; only seven fit.
    const auto form = pl::MakeNetbiosName("日本語日本語日本", 0x03, "CP932");
    EXPECT_EQ(form[14], ' ');
    EXPECT_EQ(form[15], 0x03);
}

TEST(NetbiosNameForm, TheFittedNameIsWhatTheFormHolds)
{
    EXPECT_EQ(pl::FitNetbiosName("workstation-accounting", "CP437"), "workstation-acc");
    EXPECT_EQ(pl::FitNetbiosName("日本語日本語日本", "CP932"), "日本語日本語日");
    EXPECT_EQ(pl::FitNetbiosName("ÄÖÜ", "CP850"), "ÄÖÜ");
    for (const char* name : {"workstation-accounting", "日本語日本語日本", "ИВАНОВ-ПЕТРОВ-СИДОРОВ"})
        EXPECT_EQ(pl::MakeNetbiosName(pl::FitNetbiosName(name, "CP932"), 0x03, "CP932"),
                  pl::MakeNetbiosName(name, 0x03, "CP932"));
    // The computer name: upper case, cut the same way.
    EXPECT_EQ(pl::LocalComputerName("build-server-eu-west-7", "CP850"), "BUILD-SERVER-EU");
    EXPECT_LE(pl::LocalComputerName("", "CP850").size(), 15u);
}

TEST(NetbiosNameForm, TextDropsThePaddingAndTheSuffix)
{
    EXPECT_EQ(pl::NetbiosNameText(pl::MakeNetbiosName("HOSTA", 0x03)), "HOSTA");
    EXPECT_EQ(pl::NetbiosNameText(pl::MakeNetbiosName("ABCDEFGHIJKLMNOPQ", 0x03)), "ABCDEFGHIJKLMNO");
}

}  // namespace
