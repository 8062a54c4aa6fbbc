#include "platform/text/pl_text_plausibility.h"

#include "platform/text/pl_unicode_locale.h"
#include "platform/text/pl_utf8.h"

#include <wchar.h>
#include <wctype.h>

#include <array>
#include <utility>

namespace pl {
namespace {

struct CodeRange {
    char32_t first;
    char32_t last;
};

// Blocks of the Unicode standard (Blocks.txt) that ordinary text of no living
// script uses; C1 controls, unassigned code points and noncharacters are
// refused as not printable.
constexpr std::array kNotInOrdinaryText{
    CodeRange{0x2500, 0x257F},     // Box Drawing
    CodeRange{0x2580, 0x259F},     // Block Elements
    CodeRange{0x2800, 0x28FF},     // Braille Patterns
    CodeRange{0xE000, 0xF8FF},     // Private Use Area
    CodeRange{0xFFF0, 0xFFFF},     // Specials
    CodeRange{0xF0000, 0x10FFFF},  // Supplementary Private Use Areas A and B
};

enum class Script {
    Latin,
    FullwidthLatin,
    Greek,
    Cyrillic,
    Armenian,
    Hebrew,
    Arabic,
    Thai,
    Han,
    Kana,
    HalfwidthKana,
    Hangul,
    Bopomofo,
    Other,
};

struct ScriptRange {
    char32_t first;
    char32_t last;
    Script script;
};

// The scripts of the letters and marks that OEM code pages hold, by block;
// every other character counts as Other.
constexpr std::array kScripts{
    ScriptRange{0x0000, 0x02AF, Script::Latin},  // Basic Latin .. IPA Extensions
    ScriptRange{0x0370, 0x03FF, Script::Greek},
    ScriptRange{0x0400, 0x052F, Script::Cyrillic},
    ScriptRange{0x0530, 0x058F, Script::Armenian},
    ScriptRange{0x0590, 0x05FF, Script::Hebrew},
    ScriptRange{0x0600, 0x06FF, Script::Arabic},
    ScriptRange{0x0750, 0x077F, Script::Arabic},
    ScriptRange{0x08A0, 0x08FF, Script::Arabic},
    ScriptRange{0x0E00, 0x0E7F, Script::Thai},
    ScriptRange{0x1100, 0x11FF, Script::Hangul},
    ScriptRange{0x1C80, 0x1C8F, Script::Cyrillic},
    ScriptRange{0x1E00, 0x1EFF, Script::Latin},
    ScriptRange{0x1F00, 0x1FFF, Script::Greek},
    ScriptRange{0x2C60, 0x2C7F, Script::Latin},
    ScriptRange{0x2DE0, 0x2DFF, Script::Cyrillic},
    ScriptRange{0x2E80, 0x303F, Script::Han},
    ScriptRange{0x3040, 0x30FF, Script::Kana},
    ScriptRange{0x3100, 0x312F, Script::Bopomofo},
    ScriptRange{0x3130, 0x318F, Script::Hangul},
    ScriptRange{0x3190, 0x319F, Script::Han},
    ScriptRange{0x31A0, 0x31BF, Script::Bopomofo},
    ScriptRange{0x31C0, 0x31EF, Script::Han},
    ScriptRange{0x31F0, 0x31FF, Script::Kana},
    ScriptRange{0x3200, 0x9FFF, Script::Han},
    ScriptRange{0xA640, 0xA69F, Script::Cyrillic},
    ScriptRange{0xA720, 0xA7FF, Script::Latin},
    ScriptRange{0xA960, 0xA97F, Script::Hangul},
    ScriptRange{0xAB30, 0xAB6F, Script::Latin},
    ScriptRange{0xAC00, 0xD7FF, Script::Hangul},
    ScriptRange{0xF900, 0xFAFF, Script::Han},
    ScriptRange{0xFB1D, 0xFB4F, Script::Hebrew},
    ScriptRange{0xFB50, 0xFDFF, Script::Arabic},
    ScriptRange{0xFE70, 0xFEFF, Script::Arabic},
    ScriptRange{0xFF00, 0xFF60, Script::FullwidthLatin},
    ScriptRange{0xFF61, 0xFF9F, Script::HalfwidthKana},
    ScriptRange{0xFFA0, 0xFFDC, Script::Hangul},
    ScriptRange{0x20000, 0x3FFFF, Script::Han},
};

Script ScriptOf(char32_t code)
{
    for (const ScriptRange& range : kScripts)
        if (code >= range.first && code <= range.last)
            return range.script;
    return Script::Other;
}

// Whether two letters may stand side by side in one word: the same script, or
// the mixtures of East Asian writing (Japanese Han and kana, Korean Hangul and
// Han, Chinese Han and Bopomofo, full-width Latin among any of them).
// Half-width katakana never mixes with full-width letters.
bool MayAdjoin(Script a, Script b)
{
    if (a == b)
        return true;
    const auto fullwidth = [](Script s) {
        return s == Script::Han || s == Script::Kana || s == Script::Hangul || s == Script::Bopomofo ||
               s == Script::FullwidthLatin;
    };
    const auto pair = [&](Script x, Script y) { return (a == x && b == y) || (a == y && b == x); };
    return pair(Script::Han, Script::Kana) || pair(Script::Han, Script::Hangul) ||
           pair(Script::Han, Script::Bopomofo) ||
           ((a == Script::FullwidthLatin || b == Script::FullwidthLatin) && fullwidth(a) && fullwidth(b));
}

// A combining mark of one script (a Hebrew point, an Arabic vowel sign, a Thai
// vowel, a kana voicing mark) belongs after a character of that script.
// Zero-width characters of no script of their own (the generic diacritics,
// joiners, variation selectors) may follow anything.
bool IsStrayMark(char32_t code, char32_t previous)
{
    const Script script = ScriptOf(code);
    if (script == Script::Other || script == Script::Latin)
        return false;
    const locale_t locale = UnicodeCtypeLocale();
    if (locale == static_cast<locale_t>(nullptr))
        return false;
    const locale_t saved = uselocale(locale);
    const int width = wcwidth(static_cast<wchar_t>(code));
    uselocale(saved);
    return width == 0 && ScriptOf(previous) != script;
}

bool IsPrintable(char32_t code)
{
    const locale_t locale = UnicodeCtypeLocale();
    if (locale == static_cast<locale_t>(nullptr))
        return code >= 0xA0;  // without Unicode tables only the C1 controls are known
    return iswprint_l(static_cast<wint_t>(code), locale) != 0;
}

struct Letter {
    bool isLetter = false;
    bool lower = false;
    bool upper = false;
};

Letter Classify(char32_t code)
{
    if (code < 0x80) {
        const bool lower = code >= 'a' && code <= 'z';
        const bool upper = code >= 'A' && code <= 'Z';
        return Letter{lower || upper, lower, upper};
    }
    const locale_t locale = UnicodeCtypeLocale();
    if (locale == static_cast<locale_t>(nullptr))
        return Letter{};
    const auto wide = static_cast<wint_t>(code);
    return Letter{iswalpha_l(wide, locale) != 0, iswlower_l(wide, locale) != 0, iswupper_l(wide, locale) != 0};
}

// The state carried from one letter of the OEM reading to the next.
struct PreviousLetter {
    bool present = false;
    bool high = false;
    bool lower = false;
    Script script = Script::Other;
    int highLatinRun = 0;  // adjacent Latin letters outside ASCII, up to here
};

}  // namespace

bool IsPlausibleUtf8Reading(std::string_view text)
{
    bool nonAscii = false;
    char32_t previous = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t length = 0;
        const char32_t code = utf8::Decode(text, pos, length);
        pos += length;
        const char32_t before = std::exchange(previous, code);
        if (code < 0x80)
            continue;
        nonAscii = true;
        if (!IsPrintable(code) || IsStrayMark(code, before))
            return false;
        for (const CodeRange& range : kNotInOrdinaryText)
            if (code >= range.first && code <= range.last)
                return false;
    }
    return nonAscii;
}

bool IsPlausibleOemReading(std::string_view reading)
{
    PreviousLetter previous;
    for (std::size_t pos = 0; pos < reading.size();) {
        std::size_t length = 0;
        const char32_t code = utf8::Decode(reading, pos, length);
        pos += length;
        const bool high = code >= 0x80;
        const Letter letter = Classify(code);
        if (!letter.isLetter) {
            if (high)
                return false;
            previous = PreviousLetter{};
            continue;
        }
        const Script script = ScriptOf(code);
        if (previous.present && (high || previous.high)) {
            if (previous.lower && letter.upper)
                return false;
            if (!MayAdjoin(previous.script, script))
                return false;
        }
        const int highLatinRun = high && script == Script::Latin ? previous.highLatinRun + 1 : 0;
        if (highLatinRun >= 2)
            return false;
        previous = PreviousLetter{true, high, letter.lower, script, highLatinRun};
    }
    return true;
}

}  // namespace pl
