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
    return UpperCase(a) == UpperCase(b);
}

}  // namespace pl
