#include "platform/text/pl_case.h"

#include "platform/text/pl_unicode_locale.h"
#include "platform/text/pl_utf8.h"

#include <wctype.h>

namespace pl {
namespace {

char32_t ToUpper(char32_t code)
{
    if (code < 0x80)
        return code >= 'a' && code <= 'z' ? code - ('a' - 'A') : code;
    const locale_t locale = UnicodeCtypeLocale();
    if (locale == static_cast<locale_t>(nullptr))
        return code;
    return static_cast<char32_t>(towupper_l(static_cast<wint_t>(code), locale));
}

}  // namespace

std::string UpperCase(std::string_view text)
{
    // Names and keys are mostly ASCII: mapped byte by byte, with the same result.
    bool ascii = true;
    for (const char c : text)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) {
        std::string out(text);
        for (char& c : out)
            c = static_cast<char>(ToUpper(static_cast<unsigned char>(c)));
        return out;
    }
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = utf8::SequenceLength(text, pos);
        if (length == 0) {
            out += text[pos++];  // keep an ill-formed byte unchanged
            continue;
        }
        std::size_t used = 0;
        utf8::Append(out, ToUpper(utf8::Decode(text, pos, used)));
        pos += length;
    }
    return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b)
{
    // Filters compare the names of every archive row. While both texts are
    // ASCII they are compared in place: a difference there, or a different
    // length after an equal ASCII prefix, gives the same answer as comparing
    // the upper-case forms.
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < common; ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if ((ca | cb) >= 0x80)
            return UpperCase(a) == UpperCase(b);
        if (ToUpper(ca) != ToUpper(cb))
            return false;
    }
    return a.size() == b.size();
}

}  // namespace pl
