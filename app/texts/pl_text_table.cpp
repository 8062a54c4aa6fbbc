#include "app/texts/pl_text_table.h"

#include "platform/profile/pl_profile_file.h"
#include "platform/text/pl_utf8.h"

namespace {

// Keeps well-formed UTF-8 and turns every other byte into '?', so that the
// table only ever holds valid UTF-8 and no text grows.
std::string ValidUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = pl::utf8::SequenceLength(text, pos);
        if (length == 0) {
            out += '?';
            ++pos;
            continue;
        }
        out.append(text.substr(pos, length));
        pos += length;
    }
    return out;
}

// Replaces every `placeholder` (not empty) in `text` by `argument`, left to
// right, never looking into replaced text.
std::string ReplaceAll(std::string_view text, std::string_view placeholder, std::string_view argument)
{
    std::string out;
    for (;;) {
        const std::size_t at = text.find(placeholder);
        out.append(text.substr(0, at));
        if (at == std::string_view::npos)
            return out;
        out.append(argument);
        text.remove_prefix(at + placeholder.size());
    }
}

// A text that GetString would give back unchanged as a default, when it is
// also valid UTF-8: no trailing blank, no NUL, shorter than the buffer.
bool Settled(std::string_view text)
{
    return !text.ends_with(' ') && text.find('\0') == std::string_view::npos && text.size() < PlTextTable::kValueBuffer;
}

}  // namespace

PlTextTable& PlTextTable::Instance()
{
    static PlTextTable table;
    return table;
}

void PlTextTable::AddDefaults(const PlTextRow* rows, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        Row row{rows[i].text, rows[i].section};
        row.settled = Settled(row.text) && pl::utf8::IsValid(row.text);
        rows_.insert_or_assign(rows[i].id, std::move(row));
    }
}

void PlTextTable::LoadLanguageFile(const std::string& path)
{
    if (path.empty())
        return;
    LoadLanguage(PlProfileFile::Load(path));
}

void PlTextTable::LoadLanguage(const PlProfileFile& file)
{
    for (auto& [id, row] : rows_) {
        const std::string key = std::to_string(id);
        if (row.settled && !file.Find(row.section, key))
            continue;  // the default would come back unchanged
        row.text = ValidUtf8(file.GetString(row.section, key, row.text, kValueBuffer));
        row.settled = Settled(row.text);  // valid and within the buffer by now
    }
}

std::string PlTextTable::Text(std::int32_t id) const
{
    const auto at = rows_.find(id);
    return at == rows_.end() ? std::string() : at->second.text;
}

std::string PlTextTable::Text(std::int32_t id, std::string_view first, std::string_view second) const
{
    return PlFormatText(Text(id), first, second);
}

std::string PlFormatText(std::string_view text, std::string_view first, std::string_view second)
{
    return ReplaceAll(ReplaceAll(text, "%1", first), "%2", second);
}
