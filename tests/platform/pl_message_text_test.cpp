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

std::string Repeat(const std::string& text, std::size_t count)
{
    std::string out;
    for (std::size_t i = 0; i < count; ++i)
        out += text;
    return out;
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

TEST(MessageTextDecoding, OemWordsStayOemThoughTheyAreValidUtf8)
{
    // As UTF-8 these read as Braille, Samaritan, Tamil, rare CJK and the like.
    for (const std::string word : {"так", "там", "рад", "уже", "чем", "шаг", "чай", "сам", "сон", "род", "раз", "тип",
                                   "хам", "тем", "сад", "яма", "уже там"}) {
        const std::string oem = pl::AnsiToOem(word, "CP866");
        ASSERT_TRUE(pl::utf8::IsNonAsciiUtf8(oem)) << word;
        EXPECT_EQ(DecodeMessageText(oem, "CP866"), word);
    }
    // "Íñigo" in CP850 is valid UTF-8 too: a Hebrew accent with nothing to sit on.
    for (const std::string word : {"Grüße aus Köln", "Français", "niño", "Ærø", "Íñigo", "São Paulo"})
        EXPECT_EQ(DecodeMessageText(pl::AnsiToOem(word, "CP850"), "CP850"), word);
    for (const std::string word : {"Straße", "Ñandú", "naïve", "£5"})
        EXPECT_EQ(DecodeMessageText(pl::AnsiToOem(word, "CP437"), "CP437"), word);
}

TEST(MessageTextDecoding, RawUtf8OfTextTheCodePageCannotHoldIsUtf8)
{
    for (const char* codepage : {"CP850", "CP437", "CP866", "CP852", "CP932"})
        for (const std::string text : {"Привет, мир", "я", "Ελλάδα", "日本語のテキスト", "สวัสดี", "Grüße ĀŽ €", "שלום"})
            if (!pl::ExactAnsiToOem(text, codepage)) {
                EXPECT_EQ(DecodeMessageText(text, codepage), text) << codepage << " " << text;
            }
    const std::string lines = "Hello team,\r\nthe meeting is at 10.\r\n";
    EXPECT_EQ(DecodeMessageText(lines + "Спасибо\r\nBob", "CP850"), lines + "Спасибо\r\nBob");
    EXPECT_EQ(DecodeMessageText(pl::AnsiToOem(lines + "рад\r\nBob", "CP866"), "CP866"), lines + "рад\r\nBob");
    EXPECT_EQ(DecodeMessageText(pl::AnsiToOem(lines + "Köln\r\nBob", "CP850"), "CP850"), lines + "Köln\r\nBob");
}

// Split wherever 127 bytes fall, inside characters too; pieces that convert
// come in the code page, the others raw.
TEST(MessageTextDecoding, BlocksAsSambasClientCutsThemAreWholeAtEveryOffset)
{
    const std::vector<std::pair<std::string, const char*>> texts{
        {Repeat("Съешь же ещё этих мягких булок. ", 5), "CP850"},
        {Repeat("Ξεσκεπάζω την ψυχοφθόρα. ", 5), "CP850"},
        {Repeat("いろはにほへと、ちりぬるを。", 5), "CP866"},
        {Repeat("نص عربي قصير. ", 8), "CP437"},
        {Repeat("Съешь же ещё этих мягких французских булок, да выпей чаю. ", 6), "CP866"},
        {Repeat("Latin text that CP850 holds. ", 5) + "Привет! " + Repeat("And Latin again. ", 8), "CP850"},
    };
    for (const auto& [text, codepage] : texts) {
        for (std::size_t offset = 0; offset < 127; ++offset) {
            const std::string sent = std::string(offset, 'x') + text;
            ASSERT_EQ(pl::DecodeMessageBlocks(SambaBlocks(sent, codepage), codepage), sent) << codepage << offset;
        }
    }
}

// Both readings look ordinary: the OEM code page wins; the own sender puts the
// signature first. An emoji's UTF-8 is four Cyrillic capitals in CP866.
TEST(MessageTextDecoding, AmbiguousBytesAreOemAndTheSignatureDecides)
{
    EXPECT_EQ(DecodeMessageText("😀", "CP866"), "ЁЯША");
    EXPECT_EQ(DecodeMessageText("😀", "CP936"), "馃榾");
    EXPECT_EQ(DecodeMessageText("\xEF\xBB\xBF😀", "CP866"), "😀");
    EXPECT_EQ(DecodeMessageText(std::string("\0", 1), "CP850"), "");
    for (const char* codepage : {"CP850", "CP866", "CP932", "NO-SUCH-CODEPAGE"})
        EXPECT_TRUE(pl::utf8::IsValid(DecodeMessageText("\x81\xFF\xE7\xA5\x00\xC3", codepage)));
}

TEST(MessageTextEncoding, OemWhenTheCodePageHoldsTheTextElseRawUtf8)
{
    EXPECT_EQ(EncodeMessageText("Grüße", "CP850"),
              "Gr\x81\xE1"
              "e");
    EXPECT_EQ(EncodeMessageText("Grüße ĀŽ €", "CP850"), "Grüße ĀŽ €");  // as Samba's client sends it
    EXPECT_EQ(EncodeMessageText("祬", "CP866"), "\xEF\xBB\xBF祬");      // its UTF-8 is "чем" in CP866
    EXPECT_EQ(EncodeMessageText("a\xFF", "CP850"),
              "\xEF\xBB\xBF"
              "a\uFFFD");
    const std::vector<std::string> texts{
        "", "\\~¥", "чем", "😀", "Ελλάδα", "да", "ﾃｽﾄ", "╨Я", "日本語", std::string("\0", 1), "\xEF\xBB\xBFx"};
    for (const char* codepage : {"CP437", "CP850", "CP866", "CP737", "CP932", "CP936", "CP949", "CP950"})
        for (const std::string& text : texts)
            EXPECT_EQ(DecodeMessageText(EncodeMessageText(text, codepage), codepage), text) << codepage << text;
}

TEST(MessageTextEncoding, BlocksAreCutByBytesNeverInsideACharacter)
{
    for (const auto& [text, codepage] : std::vector<std::pair<std::string, const char*>>{
             {Repeat("日本語のテキストです。", 160), "CP932"},
             {std::string("x") + Repeat("中文", 800), "CP936"},
             {Repeat("한국어", 533), "CP949"},
             {std::string("x") + Repeat("😀", 400), "CP850"},
         }) {
        const std::vector<std::string> blocks = pl::SplitMessageText(text, 128, codepage);
        std::string joined;
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            EXPECT_TRUE(blocks[i].size() <= 128 && (blocks[i].size() >= 125 || i + 1 == blocks.size()));
            EXPECT_EQ(pl::OemToAnsi(blocks[i], codepage).find('?'), std::string::npos) << codepage;
            joined += blocks[i];
        }
        EXPECT_EQ(joined, EncodeMessageText(text, codepage));
    }
    EXPECT_EQ(pl::SplitMessageText(std::string(129, 'a'), 128, "CP850").size(), 2u);
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
    for (const std::string odd : {"╨Я╤А", "тАФ", "ÐéÐï", "ÐÅ", "µùÑ", "Σü", "Gr眉脽e", "ﾑひｰ", "む름", "½", "Íñigo"})
        EXPECT_FALSE(pl::IsPlausibleOemReading(odd)) << odd;
}

}  // namespace
