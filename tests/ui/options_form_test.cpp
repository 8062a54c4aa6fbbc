// The options window: Cancel after changes on several pages leaves every
// option as it was and reopening shows the current values; numbers typed as
// text store 0 and 0 days show one day; changed hot keys are registered
// again in id order and then enabled; the hot-key entry control's values and
// texts; a category shows its first page.

#include <QTest>
#include <sstream>

#include "app/settings/pl_option_table.h"
#include "desktop_fixture.h"
#include "platform/desktop/pl_qt_virtual_key.h"
#include "platform/hotkeys/pl_hot_key_value.h"
#include "ui/common/pl_trace.h"
#include "ui/options/c_options_form.h"
#include "ui/options/c_options_form_dlg_hist.h"
#include "ui/options/c_options_form_dlg_sound.h"
#include "ui/options/c_options_form_pg_gen_dlg.h"
#include "ui/options/c_options_form_pg_hk_dlg.h"

namespace {

namespace id = pl::option_id;

class OptionsFormTest : public DesktopFixture {
protected:
    OptionsFormTest()
    {
        folder_.WriteFile("language/alpha.lng", "[Info]\nLanguageName=Alpha\nTranslator=T. Rans\nProductVersion=1.0\n");
        folder_.WriteFile("language/beta.lng", "[Info]\nTranslator=nobody\n");
    }

    COptionsForm* Open()
    {
        form_->ShowOptions();
        return Find<COptionsForm>(COptionsForm::kWindowKey);
    }

    // Shows the page labelled `label` and returns it.
    template <typename Page>
    Page* ShowPage(COptionsForm& options, const QString& label)
    {
        const QList<QTreeWidgetItem*> items = options.Tree().findItems(label, Qt::MatchExactly | Qt::MatchRecursive);
        if (items.isEmpty())
            return nullptr;
        options.Tree().setCurrentItem(items.front());
        return dynamic_cast<Page*>(options.CurrentPage());
    }

    std::map<std::int32_t, OptionValue> AllOptions()
    {
        std::map<std::int32_t, OptionValue> values;
        for (std::int32_t option = 1; option <= id::kHotKeyBrowseLan; ++option)
            values[option] = form_->Core().Options().Option(option);
        return values;
    }

    static void SetHotKey(COptionsFormPgHKDlg& page, int row, int key, Qt::KeyboardModifiers modifiers)
    {
        page.List().setCurrentItem(page.List().topLevelItem(row));
        QTest::keyClick(&page.Entry(), static_cast<Qt::Key>(key), modifiers);
        page.SetButton().click();
    }
};

TEST_F(OptionsFormTest, CancelLeavesEveryOptionAndReopeningShowsTheCurrentValues)
{
    const auto before = AllOptions();
    COptionsForm* options = Open();
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(options->Title(), "System");
    auto* system = dynamic_cast<COptionsFormPgGenDlg*>(options->CurrentPage());
    ASSERT_NE(system, nullptr);
    ASSERT_EQ(system->Languages().count(), 2);
    EXPECT_EQ(system->Languages().item(1)->text(), "<>");
    EXPECT_EQ(system->Languages().currentRow(), -1) << "English is no file of the list";
    system->Languages().setCurrentRow(0);
    EXPECT_EQ(system->Information(), "Translator: T. Rans\nVersion:1.0");

    SetHotKey(*ShowPage<COptionsFormPgHKDlg>(*options, "Hot keys"), 0, Qt::Key_F5,
              Qt::ControlModifier | Qt::AltModifier);
    ShowPage<COptionsFormDlgSound>(*options, "Sound effects")->ChooseFile("/tmp/ding.wav");
    auto* archive = ShowPage<COptionsFormDlgHist>(*options, "Message archive");
    archive->findChild<QLineEdit*>()->setText("abc");
    EXPECT_EQ(form_->Core().Options().EditedOption(id::kMsgArcShowDays).Integer(), 0);
    EXPECT_EQ(form_->Core().Options().EditedOption(id::kSoundEventIncMsgBcast).Text(), "/tmp/ding.wav");

    QTest::mouseClick(&options->CancelButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return form_->Windows().Count() == 0; }));
    EXPECT_EQ(AllOptions(), before);
    EXPECT_FALSE(std::filesystem::exists(folder_.Path("registry.reg"))) << "nothing was saved";

    options = Open();
    EXPECT_EQ(ShowPage<COptionsFormDlgHist>(*options, "Message archive")->findChild<QLineEdit*>()->text(), "3");
    auto* keys = ShowPage<COptionsFormPgHKDlg>(*options, "Hot keys");
    EXPECT_EQ(keys->List().topLevelItem(0)->text(1), "");
    EXPECT_FALSE(keys->Entry().isEnabled()) << "no action selected";
    EXPECT_FALSE(keys->SetButton().isEnabled());
    auto* sound = ShowPage<COptionsFormDlgSound>(*options, "Sound effects");
    EXPECT_EQ(sound->FileEdit().text(), "") << "the first event is selected, with its current file";
    options->OkButton().click();
    EXPECT_EQ(AllOptions(), before) << "the pending options were emptied on opening";
}

TEST_F(OptionsFormTest, NumbersTypedAsTextStoreZeroAndZeroDaysShowOneDay)
{
    COptionsForm* options = Open();
    auto* archive = ShowPage<COptionsFormDlgHist>(*options, "Message archive");
    ASSERT_NE(archive, nullptr);
    archive->findChild<QLineEdit*>()->setText("several");
    ShowPage<PlOptionsPage>(*options, "Message receiving")->findChild<QLineEdit*>()->setText("  25 s");
    options->OkButton().click();
    EXPECT_EQ(form_->Core().Options().Option(id::kMsgArcShowDays).Integer(), 0);
    EXPECT_EQ(form_->Core().Options().Option(id::kRecvMsgPopWndDeadline).Integer(), 25);
    EXPECT_EQ(form_->Core().Archive().Received().Filter().days, 1);
    EXPECT_NE(folder_.ReadFile("registry.reg").find("\"MsgArcShowDays\"=dword:00000000"), std::string::npos);
}

TEST_F(OptionsFormTest, ChangedHotKeysAreRegisteredInIdOrderThenEnabled)
{
    COptionsForm* options = Open();
    auto* keys = ShowPage<COptionsFormPgHKDlg>(*options, "Hot keys");
    ASSERT_NE(keys, nullptr);
    SetHotKey(*keys, 3, Qt::Key_Home, Qt::ShiftModifier);
    SetHotKey(*keys, 0, Qt::Key_F5, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(keys->List().topLevelItem(0)->text(1), "Ctrl + Alt + F5");
    keys->findChild<QCheckBox*>()->click();

    PlSetTracing(true);
    testing::internal::CaptureStderr();
    options->OkButton().click();
    const std::string trace = testing::internal::GetCapturedStderr();
    PlSetTracing(false);
    std::vector<std::string> hotKeyLines;
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);)
        if (const std::size_t at = line.find(": hot key"); at != std::string::npos)
            hotKeyLines.push_back(line.substr(at + 2));
    EXPECT_EQ(hotKeyLines, (std::vector<std::string>{"hot key 21 unregistered", "hot key 24 unregistered",
                                                     "hot key 21 registered: Ctrl + Alt + F5",
                                                     "hot key 24 registered: Shift + Home", "hot keys enabled"}));
    EXPECT_TRUE(form_->HotKeys().IsActive());
    EXPECT_EQ(form_->Core().Options().Option(id::kHotKeyBrowseLan).Integer(),
              pl::kHotKeyShift | pl::kHotKeyExtended | 0x24);
}

TEST(HotKeyEntry, KeysBecomeValuesAndTexts)
{
    const auto text = [](int key, Qt::KeyboardModifiers modifiers, std::uint32_t x11 = 0) {
        const auto value = pl::PlHotKeyValueOf(key, modifiers, x11);
        return value ? pl::PlHotKeyText(*value) : std::string("(none)");
    };
    const Qt::KeyboardModifiers all = Qt::AltModifier | Qt::ShiftModifier | Qt::ControlModifier;
    EXPECT_EQ(text(Qt::Key_F5, Qt::AltModifier | Qt::ControlModifier), "Ctrl + Alt + F5");
    EXPECT_EQ(text(Qt::Key_A, all), "Ctrl + Shift + Alt + A");
    EXPECT_EQ(text(Qt::Key_Exclam, Qt::ShiftModifier), "Shift + 1") << "the key the symbol is on";
    EXPECT_EQ(text(Qt::Key_Home, Qt::NoModifier), "Home");
    EXPECT_EQ(text(Qt::Key_Home, Qt::KeypadModifier), "Num 7");
    EXPECT_EQ(text(Qt::Key_7, Qt::KeypadModifier), "Num 7");
    EXPECT_EQ(text(Qt::Key_Control, Qt::ControlModifier), "(none)") << "a modifier alone";
    EXPECT_EQ(text(0x0424 /* Ф */, Qt::ControlModifier, 38), "Ctrl + A") << "by its place on the keyboard";
    EXPECT_EQ(text(0x0424 /* Ф */, Qt::ControlModifier), "(none)");

    PlHotKeyEdit edit;
    QTest::keyPress(&edit, Qt::Key_Control, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), "Ctrl + ");
    QTest::keyRelease(&edit, Qt::Key_Control, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), "");
    QTest::keyClick(&edit, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(edit.Value(), pl::kHotKeyCtrl | pl::kHotKeyExtended | 0x22);
    EXPECT_EQ(edit.text(), "Ctrl + Page Down");
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.Value(), 0);
}

TEST_F(OptionsFormTest, ACategoryShowsItsFirstPage)
{
    COptionsForm* options = Open();
    QTreeWidgetItem* behaviour = options->Tree().findItems("Behaviour", Qt::MatchExactly).front();
    options->Tree().setCurrentItem(behaviour);
    ASSERT_TRUE(WaitFor([&] { return options->Tree().currentItem()->text(0) == "Tray icon"; }));
    EXPECT_TRUE(options->Tree().currentItem()->isSelected());
    EXPECT_EQ(options->Title(), "Tray icon");
    EXPECT_FALSE(behaviour->isSelected());
    EXPECT_EQ(options->Tree().topLevelItemCount(), 3);
}

}  // namespace
