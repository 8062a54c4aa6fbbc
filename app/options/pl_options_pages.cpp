#include "app/options/pl_options_pages.h"

#include <limits>

#include "app/settings/pl_option_table.h"

namespace pl::options {

namespace id = pl::option_id;

const std::vector<CategoryNode>& OptionsTree()
{
    static const std::vector<CategoryNode> tree{
        {602, {{603, 701, Page::System}}},
        {604, {{611, 1901, Page::HotKeys}, {605, 801, Page::Sound}}},
        {606,
         {{608, 1501, Page::Tray},
          {609, 1601, Page::Sending},
          {607, 901, Page::Receiving},
          {610, 1701, Page::Archive}}},
    };
    return tree;
}

const std::array<ListRow, 4>& HotKeyRows()
{
    static constexpr std::array<ListRow, 4> rows{{{1905, id::kHotKeyWriteNewMsg},
                                                  {1906, id::kHotKeyReplyLastMsg},
                                                  {1907, id::kHotKeyOpenIncoming},
                                                  {1908, id::kHotKeyBrowseLan}}};
    return rows;
}

const std::array<ListRow, 4>& SoundRows()
{
    static constexpr std::array<ListRow, 4> rows{{{805, id::kSoundEventIncMsgBcast},
                                                  {806, id::kSoundEventIncMsgPriv},
                                                  {807, id::kSoundEventSendSuccess},
                                                  {808, id::kSoundEventSendFail}}};
    return rows;
}

bool IsChecked(std::int32_t option, const OptionValue& value)
{
    if (option == id::kMsgArcOnTop || option == id::kHotKeyEnabled)
        return value.Integer() != 0;
    return value.Integer() == 1;
}

OptionValue CheckValue(bool checked)
{
    return OptionValue::FromInteger(checked ? 1 : 0);
}

int TrayClickChoice(const OptionValue& value)
{
    return value.Integer() == 1 ? 0 : 1;
}

int ReceiveActionChoice(const OptionValue& value)
{
    switch (value.Integer()) {
    case 2: return 1;
    case 3: return 2;
    default: return 0;
    }
}

int PopupCloseChoice(const OptionValue& value)
{
    return value.Integer() == 1 ? 1 : 0;
}

OptionValue TrayClickValue(int choice)
{
    return OptionValue::FromInteger(choice + 1);
}

OptionValue ReceiveActionValue(int choice)
{
    return OptionValue::FromInteger(choice + 1);
}

OptionValue PopupCloseValue(int choice)
{
    return OptionValue::FromInteger(choice);
}

std::string NumberText(const OptionValue& value)
{
    return std::to_string(value.Integer());
}

std::int32_t NumberOfText(std::string_view text)
{
    std::size_t pos = text.find_first_not_of(" \t\n\v\f\r");
    if (pos == std::string_view::npos)
        return 0;
    const bool negative = text[pos] == '-';
    if (text[pos] == '-' || text[pos] == '+')
        ++pos;
    std::int64_t number = 0;
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos)
        number = std::min(number * 10 + (text[pos] - '0'), kLimit);
    if (negative)
        return static_cast<std::int32_t>(-number);
    return static_cast<std::int32_t>(std::min<std::int64_t>(number, std::numeric_limits<std::int32_t>::max()));
}

std::optional<std::size_t> ChosenLanguage(const std::vector<PlLanguageInfo>& languages, const OptionValue& languageFile)
{
    for (std::size_t i = 0; i < languages.size(); ++i)
        if (languages[i].fileName == languageFile.Text())
            return i;
    return std::nullopt;
}

std::string LanguageInfoText(const PlLanguageInfo& language, std::string_view translatorLabel,
                             std::string_view versionLabel)
{
    std::string text;
    text.append(translatorLabel).append(" ").append(language.translator).append("\r\n");
    text.append(versionLabel).append(language.version);
    return text;
}

}  // namespace pl::options
