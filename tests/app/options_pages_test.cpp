// The rules of the options pages: the tree, numbers typed into edits,
// which radio button and check box an option checks, the chosen language
// and its information line.

#include <gtest/gtest.h>

#include <limits>

#include "app/options/pl_options_pages.h"
#include "app/settings/pl_option_table.h"

namespace {

using namespace pl::options;
namespace id = pl::option_id;

OptionValue Number(std::int32_t value)
{
    return OptionValue::FromInteger(value);
}

TEST(OptionsPages, TreeHoldsSevenPagesUnderThreeCategories)
{
    const auto& tree = OptionsTree();
    ASSERT_EQ(tree.size(), 3u);
    EXPECT_EQ(tree[0].pages.front().page, Page::System) << "shown on opening";
    std::size_t pages = 0;
    for (const auto& category : tree)
        pages += category.pages.size();
    EXPECT_EQ(pages, 7u);
    EXPECT_EQ(tree[2].pages[2].title, 901);  // Behaviour / Message receiving
    EXPECT_EQ(HotKeyRows().back().option, id::kHotKeyBrowseLan);
    EXPECT_EQ(SoundRows().front().option, id::kSoundEventIncMsgBcast);
}

TEST(OptionsPages, NumbersAreTakenFromTheLeadingCharacters)
{
    EXPECT_EQ(NumberOfText(""), 0);
    EXPECT_EQ(NumberOfText("days"), 0) << "no digits: stored as 0";
    EXPECT_EQ(NumberOfText("  \t12abc"), 12);
    EXPECT_EQ(NumberOfText("-5"), -5);
    EXPECT_EQ(NumberOfText("+7"), 7);
    EXPECT_EQ(NumberOfText("- 3"), 0);
    EXPECT_EQ(NumberOfText("99999999999999999999"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(NumberOfText("-99999999999999999999"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(NumberText(Number(-42)), "-42");
    EXPECT_EQ(NumberText(OptionValue::FromText("5")), "0") << "a text in a number option reads as 0";
}

TEST(OptionsPages, RadioButtonsAndCheckBoxesFollowTheOptions)
{
    EXPECT_EQ(ReceiveActionChoice(Number(2)), 1);
    EXPECT_EQ(ReceiveActionChoice(Number(3)), 2);
    EXPECT_EQ(ReceiveActionChoice(Number(9)), 0) << "anything else shows the popup";
    EXPECT_EQ(ReceiveActionValue(2).Integer(), 3);
    EXPECT_EQ(TrayClickChoice(Number(1)), 0);
    EXPECT_EQ(TrayClickChoice(OptionValue()), 1) << "only 1 checks the contact list";
    EXPECT_EQ(TrayClickValue(1).Integer(), 2);
    EXPECT_EQ(PopupCloseChoice(Number(1)), 1);
    EXPECT_EQ(PopupCloseChoice(Number(2)), 0);
    EXPECT_EQ(PopupCloseValue(0).Integer(), 0);

    EXPECT_TRUE(IsChecked(id::kMsgArcOnTop, Number(5))) << "topmost whenever not 0";
    EXPECT_TRUE(IsChecked(id::kHotKeyEnabled, Number(-1)));
    EXPECT_FALSE(IsChecked(id::kSoundEnabled, Number(5))) << "sounds play only for 1";
    EXPECT_EQ(CheckValue(true).Integer(), 1);
}

TEST(OptionsPages, ChosenLanguageAndItsInformation)
{
    const std::vector<PlLanguageInfo> languages{{"german.lng", "Deutsch", "Team", "2.0"},
                                                {"russian.lng", "Русский", "", ""}};
    EXPECT_EQ(ChosenLanguage(languages, OptionValue::FromText("russian.lng")), 1u);
    EXPECT_EQ(ChosenLanguage(languages, OptionValue::FromText("Russian.lng")), std::nullopt) << "bytewise";
    EXPECT_EQ(ChosenLanguage(languages, OptionValue()), std::nullopt);
    EXPECT_EQ(LanguageInfoText(languages[0], "Translator:", "Version:"), "Translator: Team\r\nVersion:2.0");
}

}  // namespace
