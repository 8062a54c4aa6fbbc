#pragma once
// What the options window shows and stores, without the window: the tree of
// categories and pages with their text ids, the rows of the hot-key and
// sound lists, and the rules by which the pages turn option values into
// controls and controls into option values.
//
// Pure functions and constant tables; any thread.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/settings/pl_option_value.h"
#include "app/texts/pl_language_list.h"

namespace pl::options {

enum class Page { System, HotKeys, Sound, Tray, Sending, Receiving, Archive };

struct PageNode {
    std::int32_t label;  // text id in the tree
    std::int32_t title;  // text id above the page
    Page page;
};
struct CategoryNode {
    std::int32_t label;
    std::vector<PageNode> pages;
};

// The tree, in the order it is shown; the first page is shown on opening.
const std::vector<CategoryNode>& OptionsTree();

// One row of the hot-key or the sound list: its text and its option.
struct ListRow {
    std::int32_t text;
    std::int32_t option;
};
const std::array<ListRow, 4>& HotKeyRows();
const std::array<ListRow, 4>& SoundRows();

// A check box shows an option as checked while the option is in effect:
// not 0 for the archive's topmost state and the hot keys' switch (whose
// meaning is "not 0"), exactly 1 for the others. A check box stores 1 or 0.
bool IsChecked(std::int32_t option, const OptionValue& value);
OptionValue CheckValue(bool checked);

// The radio button checked on opening, counting from 0.
int TrayClickChoice(const OptionValue& value);      // 0 contact list (1), 1 archive
int ReceiveActionChoice(const OptionValue& value);  // 0 popup, 1 archive (2), 2 nothing (3)
int PopupCloseChoice(const OptionValue& value);     // 0 manually, 1 after the deadline (1)
// The option value a radio button stores.
OptionValue TrayClickValue(int choice);      // 1, 2
OptionValue ReceiveActionValue(int choice);  // 1, 2, 3
OptionValue PopupCloseValue(int choice);     // 0, 1

// A number edit's text ("%i") and the number its text stores: after leading
// blanks an optional sign and decimal digits, 0 when there are none, held
// within 32 bits.
std::string NumberText(const OptionValue& value);
std::int32_t NumberOfText(std::string_view text);

// The language entry whose file name is SysLanguageFile (byte for byte).
std::optional<std::size_t> ChosenLanguage(const std::vector<PlLanguageInfo>& languages,
                                          const OptionValue& languageFile);
// The information line of a language: "<translator label> <translator>\r\n
// <version label><version>".
std::string LanguageInfoText(const PlLanguageInfo& language, std::string_view translatorLabel,
                             std::string_view versionLabel);

}  // namespace pl::options
