// The message text codec with real byte strings: OEM words that happen to be
// valid UTF-8, raw UTF-8 from senders whose code page could not hold the text,
// and the cutting of what is sent into blocks.

#include "platform/text/pl_message_text.h"
#include "platform/text/pl_codepage.h"
#include "platform/text/pl_text_plausibility.h"
#include "platform/text/pl_utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using pl::DecodeMessageText;
using pl::EncodeMessageText;
using pl::SplitMessageText;

std::string Repeat(const std::string& text, std::size_t count)
{
    std::string out;
    for (std::size_t i = 0; i < count; ++i)
        out += text;
    return out;
}

TEST(MessageTextDecoding, CommonRussianWordsInCp866StayRussianThoughTheyAreValidUtf8)
{
    // As UTF-8 these read as Braille, Samaritan, Tamil, rare CJK and the like.
    for (const std::string word : {"так", "там", "рад", "уже", "чем", "шаг", "чай", "сам", "сон", "род", "раз", "тип",
                                   "хам", "тем", "сад", "сок", "яма", "уже там", "сон, чай"}) {
        const std::string oem = pl::AnsiToOem(word, "CP866");
        ASSERT_TRUE(pl::utf8::IsNonAsciiUtf8(oem)) << word;
        EXPECT_EQ(DecodeMessageText(oem, "CP866"), word);
    }
}

TEST(MessageTextDecoding, WesternWordsInCp850AndCp437StayInTheirCodePage)
{
    for (const std::string word : {"Grüße aus Köln", "Français", "niño", "Ærø", "Íñigo", "São Paulo", "Ýmir"})
        EXPECT_EQ(DecodeMessageText(pl::AnsiToOem(word, "CP850"), "CP850"), word);
    for (const std::string word : {"Straße", "Ñandú", "café", "naïve", "£5"})
        EXPECT_EQ(DecodeMessageText(pl::AnsiToOem(word, "CP437"), "CP437"), word);
    // "Íñigo" in CP850 is valid UTF-8: a Hebrew accent with nothing to sit on.
    EXPECT_TRUE(pl::utf8::IsValid(pl::AnsiToOem("Íñigo", "CP850")));
}

TEST(MessageTextDecoding, RawUtf8FromSendersWhoseCodePageCouldNotHoldItIsUtf8)
{
    for (const char* codepage : {"CP850", "CP437", "CP866", "CP852", "CP932"})
        for (const std::string text :
             {"Привет, мир", "я", "Ελλάδα", "日本語のテキスト", "สวัสดี", "Grüße ĀŽ €", "שלום", "مرحبا", "ok"}) {
            if (!pl::ExactAnsiToOem(text, codepage)) {
                EXPECT_EQ(DecodeMessageText(text, codepage), text) << codepage << " " << text;
            }
        }
    for (const char* codepage : {"CP850", "CP437", "CP852"})
        EXPECT_EQ(DecodeMessageText("😀 ok", codepage), "😀 ok");
}

// Bytes that read as ordinary text both ways stay in the OEM code page: an
// emoji's UTF-8 is four Cyrillic capitals in CP866, and two-byte UTF-8 pairs
// into ideographs in GBK. The own sender puts the signature before such text.
TEST(MessageTextDecoding, BytesThatReadWellBothWaysAreOem)
{
    EXPECT_EQ(DecodeMessageText("😀", "CP866"), "ЁЯША");
    EXPECT_EQ(DecodeMessageText("😀", "CP936"), "馃榾");
    EXPECT_EQ(DecodeMessageText(EncodeMessageText("😀", "CP866"), "CP866"), "😀");
    EXPECT_EQ(DecodeMessageText(EncodeMessageText("😀", "CP936"), "CP936"), "😀");
}

TEST(MessageTextDecoding, AsciiLinesWithOneNonAsciiWordFollowTheWord)
{
    const std::string lines = "Hello team,\r\nthe meeting is at 10.\r\n";
    EXPECT_EQ(DecodeMessageText(lines + "Спасибо\r\nBob", "CP850"), lines + "Спасибо\r\nBob");
    EXPECT_EQ(DecodeMessageText(pl::AnsiToOem(lines + "рад\r\nBob", "CP866"), "CP866"), lines + "рад\r\nBob");
    EXPECT_EQ(DecodeMessageText(pl::AnsiToOem(lines + "Köln\r\nBob", "CP850"), "CP850"), lines + "Köln\r\nBob");
    EXPECT_EQ(DecodeMessageText(lines + "Köln\r\nBob", "CP850"), lines + "Köln\r\nBob");
}

TEST(MessageTextDecoding, EmptyMessagesSignaturesAndGarbage)
{
    EXPECT_EQ(DecodeMessageText(std::string("\0", 1), "CP850"), "");
    EXPECT_EQ(DecodeMessageText("", "CP850"), "");
    EXPECT_EQ(DecodeMessageText("\xEF\xBB\xBF\xE7\xA5\xAC", "CP866"), "祬");  // the signature decides
    for (const char* codepage : {"CP850", "CP866", "CP932", "NO-SUCH-CODEPAGE"})
        EXPECT_TRUE(pl::utf8::IsValid(DecodeMessageText("\x81\xFF\xE7\xA5\x00\xC3", codepage)));
}

// What smbclient does with text its code page cannot hold: the raw UTF-8 in
// blocks of 127 bytes, split wherever the count falls. Joined, then decoded once.
TEST(MessageTextDecoding, Utf8SplitAtEveryByteOffsetIsWholeOnceJoined)
{
    for (const std::string& text :
         {Repeat("Съешь же ещё этих мягких булок. ", 5), Repeat("Ξεσκεπάζω την ψυχοφθόρα. ", 5),
          Repeat("いろはにほへと、ちりぬるを。", 5), Repeat("نص عربي قصير. ", 8)}) {
        for (std::size_t offset = 0; offset < 127; ++offset) {
            const std::string sent = std::string(offset, 'x') + text;
            std::string joined;
            for (std::size_t pos = 0; pos < sent.size(); pos += 127)
                joined += sent.substr(pos, 127);
            ASSERT_EQ(DecodeMessageText(joined, "CP850"), sent) << offset;
        }
    }
}

// Samba's client: the UTF-8 text in pieces of 127 bytes, each converted to the
// code page on its own, or sent raw when it does not convert.
std::vector<std::string> SambaBlocks(const std::string& text, const char* codepage)
{
    std::vector<std::string> blocks;
    for (std::size_t pos = 0; pos < text.size(); pos += 127) {
        const std::string piece = text.substr(pos, 127);
        blocks.push_back(pl::ExactAnsiToOem(piece, codepage).value_or(piece));
    }
    return blocks;
}

TEST(MessageTextDecoding, BlocksSambasClientConvertedPieceByPieceAreEachReadRight)
{
    const std::string russian = Repeat("Съешь же ещё этих мягких французских булок, да выпей чаю. ", 6);
    const std::string mixed = Repeat("Plain Latin text that CP850 holds well enough. ", 4) + "Привет! " +
                              Repeat("And Latin again, long enough for a piece. ", 4);
    for (std::size_t offset = 0; offset < 127; ++offset) {
        const std::string text = std::string(offset, 'x') + russian;
        const std::vector<std::string> blocks = SambaBlocks(text, "CP866");
        ASSERT_EQ(pl::DecodeMessageBlocks(blocks, "CP866"), text) << offset;
        const std::string latin = std::string(offset, 'x') + mixed;
        ASSERT_EQ(pl::DecodeMessageBlocks(SambaBlocks(latin, "CP850"), "CP850"), latin) << offset;
    }
    // One block, or blocks that join into valid UTF-8, are one decision.
    EXPECT_EQ(pl::DecodeMessageBlocks({pl::AnsiToOem("так", "CP866")}, "CP866"), "так");
    EXPECT_EQ(pl::DecodeMessageBlocks({"\xD0", "\x9F"}, "CP866"), "П");
    EXPECT_EQ(pl::DecodeMessageBlocks({}, "CP866"), "");
}

TEST(MessageTextEncoding, TheOemCodePageWhenItHoldsEveryCharacterElseRawUtf8)
{
    EXPECT_EQ(EncodeMessageText("Grüße", "CP850"),
              "Gr\x81\xE1"
              "e");
    EXPECT_EQ(EncodeMessageText("так", "CP866"), "\xE2\xA0\xAA");
    EXPECT_EQ(EncodeMessageText("Grüße ĀŽ €", "CP850"), "Grüße ĀŽ €");  // as Samba's client sends it
    EXPECT_EQ(EncodeMessageText(Repeat("日本", 800), "CP850"), Repeat("日本", 800));
    EXPECT_EQ(EncodeMessageText("plain", "NO-SUCH-CODEPAGE"), "plain");
    // A CJK character whose UTF-8 bytes are "чем" in CP866 goes with the signature.
    EXPECT_EQ(EncodeMessageText("祬", "CP866"), "\xEF\xBB\xBF\xE7\xA5\xAC");
    EXPECT_EQ(EncodeMessageText("a\xFF", "CP850"),
              "\xEF\xBB\xBF"
              "a\xEF\xBF\xBD");  // ill-formed input becomes U+FFFD
}

TEST(MessageTextEncoding, EveryTextComesBackAsItWasSent)
{
    const std::vector<std::string> texts{"",
                                         "\\~¥",
                                         "чем",
                                         "祬",
                                         "😀",
                                         "Ελλάδα",
                                         "да",
                                         "ﾃｽﾄ",
                                         "╨Я",
                                         "Íñigo",
                                         "日本語",
                                         std::string("\0", 1),
                                         "\xEF\xBB\xBFx"};
    for (const char* codepage : {"CP437", "CP850", "CP852", "CP866", "CP737", "CP932", "CP936", "CP949", "CP950"})
        for (const std::string& text : texts)
            EXPECT_EQ(DecodeMessageText(EncodeMessageText(text, codepage), codepage), text) << codepage << " " << text;
}

TEST(MessageTextEncoding, BlocksAreCutByBytesNeverInsideACharacter)
{
    struct Case {
        std::string text;
        const char* codepage;
    };
    const std::vector<Case> cases{
        {Repeat("日本語のテキストです。", 160), "CP932"},  // double-byte OEM
        {Repeat("中文", 800), "CP936"},
        {Repeat("한국어", 533), "CP949"},
        {Repeat("繁體", 800), "CP950"},
        {Repeat("日本", 800), "CP850"},     // raw UTF-8, three bytes each
        {"x" + Repeat("😀", 400), "CP850"},  // four bytes each, off by one
        {Repeat("Привет", 266), "CP866"},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> blocks = SplitMessageText(c.text, 128, c.codepage);
        std::string joined;
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            ASSERT_LE(blocks[i].size(), 128u) << c.codepage;
            if (i + 1 < blocks.size()) {
                ASSERT_GE(blocks[i].size(), 125u) << c.codepage;  // full but for the last character
            }
            // Each block decodes on its own: no character was cut in two.
            EXPECT_EQ(pl::OemToAnsi(blocks[i], c.codepage).find('?'), std::string::npos) << c.codepage;
            joined += blocks[i];
        }
        EXPECT_EQ(joined, EncodeMessageText(c.text, c.codepage));
        EXPECT_EQ(DecodeMessageText(joined, c.codepage), c.text) << c.codepage;
    }
    EXPECT_TRUE(SplitMessageText("", 128, "CP850").empty());
    EXPECT_EQ(SplitMessageText(std::string(128, 'a'), 128, "CP850").size(), 1u);
    EXPECT_EQ(SplitMessageText(std::string(129, 'a'), 128, "CP850").size(), 2u);
}

TEST(TextPlausibility, Utf8ReadingRefusesWhatNoScriptWritesInOrdinaryText)
{
    for (const std::string ordinary : {"é", "Привет", "日本", "😀", "—", "● item", "e\u0301", "שָׁלוֹם", "ｶﾀｶﾅ"})
        EXPECT_TRUE(pl::IsPlausibleUtf8Reading(ordinary)) << ordinary;
    for (const std::string odd : {"plain", "\u282A", "\u2551", "\u2588", "\uE000", "\u0085", "\u0378", "\uFDD0",
                                  "\uFFFD", "\u05A4igo", "x\u0E31", "\U000F0000"})
        EXPECT_FALSE(pl::IsPlausibleUtf8Reading(odd)) << odd;
}

TEST(TextPlausibility, OemReadingRefusesSymbolsCaseAndScriptBreaks)
{
    for (const std::string ordinary : {"так", "Ýmir", "McDonald", "Σωκράτης", "日本語のテキスト", "ｶﾀｶﾅ", "ＣＤを"})
        EXPECT_TRUE(pl::IsPlausibleOemReading(ordinary)) << ordinary;
    // "Íñigo": two adjacent Latin letters outside ASCII; its UTF-8 reading settles it.
    for (const std::string odd :
         {"╨Я╤А", "тАФ", "ÐéÐï", "ÐÅ", "ðƒ", "µùÑ", "Σü", "Gr眉脽e", "ﾑひｰ", "む름", "½", "Íñigo"})
        EXPECT_FALSE(pl::IsPlausibleOemReading(odd)) << odd;
}

}  // namespace
