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

}  // namespace

PlTextTable& PlTextTable::Instance()
{
    static PlTextTable table;
    return table;
}

void PlTextTable::AddDefaults(const PlTextRow* rows, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        rows_.insert_or_assign(rows[i].id, Row{rows[i].text, rows[i].section});
}

void PlTextTable::LoadLanguageFile(const std::string& path)
{
    if (path.empty())
        return;
    LoadLanguage(PlProfileFile::Load(path));
}

void PlTextTable::LoadLanguage(const PlProfileFile& file)
{
    for (auto& [id, row] : rows_)
        row.text = ValidUtf8(file.GetString(row.section, std::to_string(id), row.text, kValueBuffer));
}

std::string PlTextTable::Text(std::int32_t id) const
{
    const auto at = rows_.find(id);
    return at == rows_.end() ? std::string() : at->second.text;
}

std::string PlTextTable::Text(std::int32_t id, std::string_view first, std::string_view second) const
{
    return ReplaceAll(ReplaceAll(Text(id), "%1", first), "%2", second);
}
