#pragma once
// The C.UTF-8 locale, whose LC_CTYPE tables carry Unicode's case mappings and
// character classes, independent of the process locale. Opened once and never
// freed (it lives as long as the process); null when the system lacks it.

#include <locale.h>

namespace pl {

inline locale_t UnicodeCtypeLocale()
{
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return locale;
}

}  // namespace pl
