#include "app/archive_view/pl_text_search.h"

#include <algorithm>

#include "archive/pl_archive_row.h"
#include "platform/text/pl_case.h"

namespace pl::archive_view {
namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char AsciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c;
}

}  // namespace

std::string SearchKey(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return UpperCase(text);
}

bool ContainsKey(std::string_view text, std::string_view key)
{
    // Most messages are ASCII: they are searched in place, which gives the
    // answer of searching their upper-case form, without a copy.
    if (IsAscii(text))
        return std::search(text.begin(), text.end(), key.begin(), key.end(),
                           [](char a, char b) { return AsciiUpper(a) == b; }) != text.end();
    return UpperCase(text).find(key) != std::string::npos;
}

}  // namespace pl::archive_view

bool PlTextSearchFilter::Accept(const PlRow& row)
{
    if (!FilterManual::Accept(row))
        return false;
    if (key_.empty())
        return true;
    using pl::archive_view::ContainsKey;
    using namespace pl::archive;
    return ContainsKey(row.FieldText(kMessageField), key_) || ContainsKey(row.FieldText(kOriginField), key_) ||
           ContainsKey(row.FieldText(kRecipientField), key_);
}

void PlTextSearchFilter::Begin()
{
    FilterManual::Begin();
    key_ = pl::archive_view::SearchKey(text);
}

std::optional<std::string> PlTextSearchFilter::ResultKey() const
{
    const std::optional<std::string> base = FilterManual::ResultKey();
    if (!base)
        return std::nullopt;
    const std::string key = pl::archive_view::SearchKey(text);
    return std::to_string(key.size()) + ":" + key + *base;
}
