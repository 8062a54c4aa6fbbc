#include "platform/text/pl_codepage.h"

#include "platform/text/pl_utf8.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

namespace pl {
namespace {

struct LanguageCodePage {
    std::string_view language;
    std::string_view codepage;
};

// Windows' OEM code page per language; languages not listed use 437.
constexpr std::array kLanguageCodePages{
    LanguageCodePage{"de", "CP850"}, LanguageCodePage{"fr", "CP850"}, LanguageCodePage{"es", "CP850"},
    LanguageCodePage{"it", "CP850"}, LanguageCodePage{"nl", "CP850"}, LanguageCodePage{"pt", "CP850"},
    LanguageCodePage{"sv", "CP850"}, LanguageCodePage{"da", "CP850"}, LanguageCodePage{"nb", "CP850"},
    LanguageCodePage{"nn", "CP850"}, LanguageCodePage{"no", "CP850"}, LanguageCodePage{"fi", "CP850"},
    LanguageCodePage{"ca", "CP850"}, LanguageCodePage{"eu", "CP850"}, LanguageCodePage{"gl", "CP850"},
    LanguageCodePage{"is", "CP850"}, LanguageCodePage{"ga", "CP850"}, LanguageCodePage{"af", "CP850"},
    LanguageCodePage{"id", "CP850"}, LanguageCodePage{"ms", "CP850"}, LanguageCodePage{"cs", "CP852"},
    LanguageCodePage{"sk", "CP852"}, LanguageCodePage{"pl", "CP852"}, LanguageCodePage{"hu", "CP852"},
    LanguageCodePage{"sl", "CP852"}, LanguageCodePage{"hr", "CP852"}, LanguageCodePage{"ro", "CP852"},
    LanguageCodePage{"sq", "CP852"}, LanguageCodePage{"bs", "CP852"}, LanguageCodePage{"ru", "CP866"},
    LanguageCodePage{"uk", "CP866"}, LanguageCodePage{"be", "CP866"}, LanguageCodePage{"bg", "CP866"},
    LanguageCodePage{"kk", "CP866"}, LanguageCodePage{"ky", "CP866"}, LanguageCodePage{"tt", "CP866"},
    LanguageCodePage{"mn", "CP866"}, LanguageCodePage{"mk", "CP866"}, LanguageCodePage{"sr", "CP855"},
    LanguageCodePage{"el", "CP737"}, LanguageCodePage{"tr", "CP857"}, LanguageCodePage{"az", "CP857"},
    LanguageCodePage{"uz", "CP857"}, LanguageCodePage{"lt", "CP775"}, LanguageCodePage{"lv", "CP775"},
    LanguageCodePage{"et", "CP775"}, LanguageCodePage{"he", "CP862"}, LanguageCodePage{"th", "CP874"},
    LanguageCodePage{"ja", "CP932"}, LanguageCodePage{"ko", "CP949"},
};

std::mutex gOverrideMutex;
std::string gOverride;

// An iconv descriptor owned by one thread, reset before each conversion.
class Converter {
public:
    Converter(const std::string& to, const std::string& from) : handle_(iconv_open(to.c_str(), from.c_str())) {}
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    ~Converter()
    {
        if (Valid())
            iconv_close(handle_);
    }
    // iconv_open reports failure as (iconv_t)-1.
    bool Valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }  // NOLINT(performance-no-int-to-ptr)

    // Converts `input`; at every byte that cannot be converted, `onError`
    // appends a stand-in and returns how many input bytes to skip.
    template <typename OnError>
    std::string Run(std::string_view input, OnError onError)
    {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        std::string out;
        std::array<char, 256> chunk{};
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        while (inLeft > 0) {
            char* dst = chunk.data();
            std::size_t dstLeft = chunk.size();
            const std::size_t rc = iconv(handle_, &in, &inLeft, &dst, &dstLeft);
            out.append(chunk.data(), chunk.size() - dstLeft);
            if (rc != static_cast<std::size_t>(-1) || errno == E2BIG)
                continue;
            const std::size_t offset = input.size() - inLeft;
            const std::size_t skip = std::min(inLeft, std::max<std::size_t>(1, onError(out, input, offset)));
            in += skip;
            inLeft -= skip;
            iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        }
        return out;
    }

private:
    iconv_t handle_;
};

Converter* CachedConverter(const std::string& to, const std::string& from)
{
    thread_local std::map<std::pair<std::string, std::string>, std::unique_ptr<Converter>> cache;
    auto& slot = cache[{to, from}];
    if (!slot)
        slot = std::make_unique<Converter>(to, from);
    return slot->Valid() ? slot.get() : nullptr;
}

std::string EnvironmentLocale()
{
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return value;
    }
    return "C";
}

// Plain ASCII stands in when a code page is unknown to iconv.
std::string AsciiOnly(std::string_view text)
{
    std::string out;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t length = 0;
        const char32_t code = utf8::Decode(text, pos, length);
        out += code < 0x80 ? static_cast<char>(code) : '?';
        pos += length;
    }
    return out;
}

bool IsAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::optional<std::string> ExactConversion(std::string_view input, const std::string& to, const std::string& from)
{
    Converter* converter = CachedConverter(to, from);
    if (converter == nullptr)
        return IsAscii(input) ? std::optional<std::string>(input) : std::nullopt;
    bool failed = false;
    std::string out = converter->Run(input, [&failed](std::string&, std::string_view, std::size_t) {
        failed = true;
        return std::size_t{1};
    });
    return failed ? std::nullopt : std::optional<std::string>(std::move(out));
}

}  // namespace

std::string OemCodePageForLocale(std::string_view locale)
{
    const std::string_view language = locale.substr(0, locale.find_first_of("_.@"));
    const std::string_view territory = locale.size() > language.size() && locale[language.size()] == '_'
                                           ? locale.substr(language.size() + 1, 2)
                                           : std::string_view{};
    if (language == "zh")
        return territory == "TW" || territory == "HK" || territory == "MO" ? "CP950" : "CP936";
    if (language == "en")
        return territory == "US" || territory.empty() ? "CP437" : "CP850";
    if (language == "pt" && territory == "BR")
        return "CP850";
    if (language == "sr" && locale.find("@latin") != std::string_view::npos)
        return "CP852";
    for (const auto& entry : kLanguageCodePages)
        if (entry.language == language)
            return std::string(entry.codepage);
    return "CP437";
}

std::string OemCodePage()
{
    {
        std::lock_guard lock(gOverrideMutex);
        if (!gOverride.empty())
            return gOverride;
    }
    return OemCodePageForLocale(EnvironmentLocale());
}

bool SetOemCodePage(const std::string& name)
{
    if (!name.empty() && CachedConverter(name, "UTF-8") == nullptr)
        return false;
    std::lock_guard lock(gOverrideMutex);
    gOverride = name;
    return true;
}

std::string AnsiToOem(std::string_view text, const std::string& codepage)
{
    Converter* converter = CachedConverter(codepage, "UTF-8");
    if (converter == nullptr)
        return AsciiOnly(text);
    return converter->Run(text, [](std::string& out, std::string_view input, std::size_t offset) {
        out += '?';
        const std::size_t length = utf8::SequenceLength(input, offset);
        return length == 0 ? std::size_t{1} : length;
    });
}

std::string OemToAnsi(std::string_view oem, const std::string& codepage)
{
    Converter* converter = CachedConverter("UTF-8", codepage);
    if (converter == nullptr)
        return AsciiOnly(oem);
    return converter->Run(oem, [](std::string& out, std::string_view, std::size_t) {
        out += '?';
        return std::size_t{1};
    });
}

std::optional<std::string> ExactAnsiToOem(std::string_view text, const std::string& codepage)
{
    return ExactConversion(text, codepage, "UTF-8");
}

std::optional<std::string> ExactOemToAnsi(std::string_view oem, const std::string& codepage)
{
    return ExactConversion(oem, "UTF-8", codepage);
}

std::string AnsiToOem(std::string_view text)
{
    return AnsiToOem(text, OemCodePage());
}

std::string OemToAnsi(std::string_view oem)
{
    return OemToAnsi(oem, OemCodePage());
}

}  // namespace pl
