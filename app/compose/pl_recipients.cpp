#include "app/compose/pl_recipients.h"

#include "platform/text/pl_utf8.h"

namespace {

bool IsSeparator(char32_t c)
{
    return c == U',' || c == U';';
}

bool IsTrimmed(char32_t c)
{
    return c == kRecipientPicture || c == U' ' || c == U'\t' || c == U'\r' || c == U'\n' || c == U'\u00A0';
}

std::string Trimmed(const std::u32string& text, std::size_t first, std::size_t last)
{
    while (first < last && IsTrimmed(text[first]))
        ++first;
    while (last > first && IsTrimmed(text[last - 1]))
        --last;
    std::string name;
    for (std::size_t i = first; i < last; ++i)
        pl::utf8::Append(name, text[i]);
    return name;
}

void AddGroupMembers(const std::string& group, const std::vector<PlContactGroupCopy>& groups,
                     std::vector<PlRecipient>& recipients)
{
    for (const PlContactGroupCopy& copy : groups) {
        if (copy.name != group)
            continue;
        for (const PlContactItem& member : copy.members)
            recipients.push_back({member.record.type, member.record.realName, member.record.displayName});
        return;  // the first group of that name
    }
}

}  // namespace

int PlRecipientField::TypeAt(std::size_t first, std::size_t last) const
{
    const auto it = pictures.lower_bound(first);
    return it != pictures.end() && it->first <= last ? it->second : -1;
}

std::vector<PlRecipient> PlReadRecipients(const PlRecipientField& field, const std::vector<PlContactGroupCopy>& groups)
{
    std::vector<PlRecipient> recipients;
    const std::u32string& text = field.text;
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        while (i < n && IsSeparator(text[i]))
            ++i;
        std::size_t j = i;
        while (j < n && !IsSeparator(text[j]))
            ++j;
        const std::string name = Trimmed(text, i, j);
        const int type = field.TypeAt(i, j);
        if (type == kRecipientGroup)
            AddGroupMembers(name, groups, recipients);
        else if (!name.empty())
            recipients.push_back({type, name, name});
        i = j;
    }
    return recipients;
}
