#include "platform/profile/pl_profile_file.h"

#include "platform/config/pl_config_file.h"
#include "platform/config/pl_config_text.h"
#include "platform/text/pl_case.h"
#include "platform/text/pl_utf8.h"

namespace {

std::string_view DropQuotes(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

std::string_view UpToNul(std::string_view text)
{
    return text.substr(0, text.find('\0'));
}

}  // namespace

PlProfileFile PlProfileFile::Load(const std::string& path)
{
    const pl::ConfigFileContents contents = pl::ReadConfigFile(path, kFileLimit);
    return Parse(pl::DecodeConfigText(contents.bytes));
}

PlProfileFile PlProfileFile::Parse(std::string_view text)
{
    PlProfileFile file;
    Section* current = nullptr;
    pl::ForEachLine(text, [&](std::string_view line) { file.AddLine(pl::TrimBlanks(line), current); });
    return file;
}

void PlProfileFile::AddLine(std::string_view line, Section*& current)
{
    if (line.empty() || line.front() == ';')
        return;
    if (line.front() == '[') {
        const std::size_t close = line.find(']');
        if (close == std::string_view::npos)
            return;
        const std::string name = pl::UpperCase(pl::TrimBlanks(line.substr(1, close - 1)));
        current = &sections_.try_emplace(name).first->second;
        return;
    }
    const std::size_t equals = line.find('=');
    if (current == nullptr || equals == std::string_view::npos)
        return;
    const std::string_view value = DropQuotes(pl::TrimBlanks(line.substr(equals + 1)));
    current->try_emplace(pl::UpperCase(pl::TrimBlanks(line.substr(0, equals))), UpToNul(value));
}

const std::string* PlProfileFile::Find(std::string_view section, std::string_view key) const
{
    const auto sectionAt = sections_.find(pl::UpperCase(section));
    if (sectionAt == sections_.end())
        return nullptr;
    const auto keyAt = sectionAt->second.find(pl::UpperCase(key));
    return keyAt == sectionAt->second.end() ? nullptr : &keyAt->second;
}

std::string PlProfileFile::GetString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                     std::size_t bufferSize) const
{
    const std::string* value = Find(section, key);
    const std::string_view result =
        value ? std::string_view(*value) : defaultValue.substr(0, defaultValue.find_last_not_of(' ') + 1);
    if (bufferSize == 0)
        return {};
    return std::string(pl::utf8::PrefixBytes(UpToNul(result), bufferSize - 1));
}
