// Reads arbitrary bytes as a language file and overlays the interface texts
// with it: nothing may crash, and every text must stay valid UTF-8 within the
// value buffer.

#include "app/texts/pl_builtin_texts.h"
#include "app/texts/pl_text_table.h"
#include "platform/config/pl_config_text.h"
#include "platform/profile/pl_profile_file.h"
#include "platform/text/pl_utf8.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const PlProfileFile file = PlProfileFile::Parse(pl::DecodeConfigText(bytes));
    static const PlTextTable builtin = [] {
        PlTextTable defaults;
        defaults.AddDefaults(kPlBuiltinTexts, kPlBuiltinTextCount);
        return defaults;
    }();
    PlTextTable table = builtin;  // the program's table before it loads a language
    table.LoadLanguage(file);
    for (std::size_t i = 0; i < kPlBuiltinTextCount; ++i) {
        const std::string plain = table.Text(kPlBuiltinTexts[i].id);
        if (plain == kPlBuiltinTexts[i].text)
            continue;  // not overlaid: the built-in text, valid by construction
        const std::string text = table.Text(kPlBuiltinTexts[i].id, "%2", "x");
        if (plain.size() >= PlTextTable::kValueBuffer || !pl::utf8::IsValid(text))
            std::abort();
    }
    (void)file.GetString("Info", "LanguageName", "<>", PlTextTable::kValueBuffer);
    return 0;
}
