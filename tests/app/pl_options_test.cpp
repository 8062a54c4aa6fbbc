#include "app/settings/pl_options.h"
#include "app/settings/pl_option_hooks.h"
#include "app/settings/pl_option_table.h"

#include "tests/support/pl_temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

namespace id = pl::option_id;
using Kind = OptionValue::Kind;

const std::string kOptionsKey = PlRegistryHive::CurrentUserPath(kPlOptionsKey);

// Records every hook call in order.
class RecordingHooks : public PlOptionHooks {
public:
    void UnregisterHotKey(std::int32_t hotKeyId) override { calls.push_back("unregister " + std::to_string(hotKeyId)); }
    void RegisterHotKey(std::int32_t hotKeyId, std::int32_t hotKey) override
    {
        calls.push_back("register " + std::to_string(hotKeyId) + "=" + std::to_string(hotKey));
    }
    void EnableHotKeys(bool enabled) override { calls.push_back(enabled ? "enable" : "disable"); }
    void SetArchiveTopmost(bool topmost) override { calls.push_back(topmost ? "topmost" : "not topmost"); }
    void SetArchiveShowDays(std::int32_t days) override { calls.push_back("days " + std::to_string(days)); }

    std::vector<std::string> calls;
};

class PlOptionsTest : public ::testing::Test {
protected:
    PlTempFolder folder;
    PlRegistryFile registry{folder.Path("config/parlino/registry.reg")};
    PlAutostart autostart{folder.Path("config/autostart/parlino.desktop")};
    PlOptions options{registry, autostart, "/opt/parlino/parlino"};

    PlRegistryHive Stored() { return registry.Read().hive; }
};

TEST_F(PlOptionsTest, FirstStartTakesTheDefaultsAndSavesEveryValue)
{
    options.LoadOptions();
    EXPECT_EQ(options.Option(id::kAutostart), OptionValue::FromInteger(0));
    EXPECT_EQ(options.Option(id::kTrayLeftMouseBtn), OptionValue::FromInteger(1));
    EXPECT_EQ(options.Option(id::kRecvMsgPopWndDeadline), OptionValue::FromInteger(10));
    EXPECT_EQ(options.Option(id::kMsgArcShowDays), OptionValue::FromInteger(3));
    EXPECT_EQ(options.Option(id::kSysLanguageFile).Text(), "");

    options.SaveOptions();
    const PlRegistryHive hive = Stored();
    for (const auto& [optionId, row] : PlOptionTable()) {
        if (row.valueName == nullptr)
            continue;
        const PlRegistryValue* value = hive.Find(kOptionsKey, row.valueName);
        ASSERT_NE(value, nullptr) << row.valueName;
        EXPECT_EQ(value->type, row.kind == PlOptionRegKind::Number ? kPlRegDword : kPlRegSz) << row.valueName;
    }
    EXPECT_EQ(hive.Keys()[0].values.size(), 23u);
    EXPECT_FALSE(autostart.IsOn());
    const std::string text = folder.ReadFile("config/parlino/registry.reg");
    EXPECT_NE(text.find("\n\"RecvMsgPopWndDeadline\"=dword:0000000a\n"), std::string::npos);
    EXPECT_NE(text.find("\n\"SysLanguageFile\"=\"\"\n"), std::string::npos);
}

TEST_F(PlOptionsTest, StoredTypesDecideHowValuesLoad)
{
    PlRegistryHive hive;
    hive.Set(kOptionsKey, "RecvMsgMainAct", PlRegistryValue::Text("2"));        // a number option stored as text
    hive.Set(kOptionsKey, "UserNickname", PlRegistryValue::Dword(0xFFFFFFFF));  // a text option stored as number
    hive.Set(kOptionsKey, "SoundEventSendFail", PlRegistryValue::Text("ding.wav"));
    hive.Set(kOptionsKey, "HotKeyWriteNewMsg", PlRegistryValue{kPlRegBinary, "\x4e\x02"});
    ASSERT_TRUE(registry.Write(hive));

    options.LoadOptions();
    EXPECT_EQ(options.Option(id::kRecvMsgMainAct), OptionValue::FromText("2"));
    EXPECT_EQ(options.Option(id::kRecvMsgMainAct).Integer(), 0);  // not the popup's "2"
    EXPECT_EQ(options.Option(id::kUserNickname), OptionValue::FromInteger(-1));
    EXPECT_EQ(options.Option(id::kSoundEventSendFail).Text(), "ding.wav");
    EXPECT_EQ(options.Option(id::kHotKeyWriteNewMsg).Integer(), 0x24e);
    EXPECT_EQ(options.Option(id::kMsgArcShowDays).Integer(), 3);  // missing: default

    // Saving writes each option as its row's type.
    options.SaveOptions();
    EXPECT_EQ(*Stored().Find(kOptionsKey, "RecvMsgMainAct"), PlRegistryValue::Dword(0));
    EXPECT_EQ(*Stored().Find(kOptionsKey, "UserNickname"), PlRegistryValue::Text(""));
}

TEST_F(PlOptionsTest, SavingKeepsWhatElseTheFileHolds)
{
    PlRegistryHive hive;
    hive.Set("HKEY_CURRENT_USER\\Software\\Parlino Software\\Parlino Messenger\\Windows\\sendmsg", "Top",
             PlRegistryValue::Dword(5));
    hive.Set(kOptionsKey, "SomethingNewer", PlRegistryValue::Text("kept"));
    ASSERT_TRUE(registry.Write(hive));
    options.LoadOptions();
    options.Option(id::kSoundEnabled) = OptionValue::FromInteger(1);
    options.SaveOptions();
    const PlRegistryHive stored = Stored();
    EXPECT_EQ(stored.Find(kOptionsKey, "SomethingNewer")->AsText(), "kept");
    EXPECT_EQ(stored.Find(kOptionsKey, "SoundEnabled")->AsNumber(), 1u);
    EXPECT_EQ(stored.Keys().size(), 2u);
}

TEST_F(PlOptionsTest, AutostartFollowsOptionOne)
{
    options.LoadOptions();
    options.Option(id::kAutostart) = OptionValue::FromInteger(1);
    options.SaveOptions();
    ASSERT_TRUE(autostart.IsOn());
    EXPECT_NE(folder.ReadFile("config/autostart/parlino.desktop").find("\nExec=\"/opt/parlino/parlino\"\n"),
              std::string::npos);

    options.Option(id::kAutostart) = OptionValue::FromInteger(0);
    options.SaveOptions();
    EXPECT_FALSE(autostart.IsOn());

    folder.WriteFile("config/autostart/parlino.desktop", "[Desktop Entry]\nExec=someone-elses\n");
    options.LoadOptions();
    EXPECT_EQ(options.Option(id::kAutostart), OptionValue::FromInteger(1));
}

TEST_F(PlOptionsTest, AnUnreadableRegistryLoadsNothingAndSavesNothing)
{
    ::mkdir(folder.Path("config").c_str(), 0700);
    ::mkdir(folder.Path("config/parlino").c_str(), 0700);
    ::mkdir(folder.Path("config/parlino/registry.reg").c_str(), 0700);  // a folder in the file's place
    options.LoadOptions();
    EXPECT_EQ(options.Option(id::kRecvMsgMainAct), OptionValue());
    EXPECT_EQ(options.Option(id::kTrayLeftMouseBtn).GetKind(), Kind::Empty);
    EXPECT_EQ(options.Option(id::kAutostart), OptionValue::FromInteger(0));
    options.SaveOptions();
    EXPECT_EQ(registry.Read().state, PlRegistryFile::State::Unreadable);
}

TEST_F(PlOptionsTest, LookUpsAddEmptyValuesAndPendingValuesShadowCurrentOnes)
{
    EXPECT_EQ(options.Option(99), OptionValue());
    options.Option(id::kSoundEnabled) = OptionValue::FromInteger(1);
    EXPECT_EQ(options.EditedOption(id::kSoundEnabled), OptionValue::FromInteger(1));
    options.SetPendingOption(id::kSoundEnabled, OptionValue::FromInteger(0));
    EXPECT_EQ(options.EditedOption(id::kSoundEnabled), OptionValue::FromInteger(0));
    EXPECT_EQ(options.Option(id::kSoundEnabled), OptionValue::FromInteger(1));
    options.ClearPendingOptions();
    EXPECT_EQ(options.EditedOption(id::kSoundEnabled), OptionValue::FromInteger(1));
    EXPECT_EQ(options.EditedOption(98), OptionValue());
}

TEST_F(PlOptionsTest, ApplyingUnregistersThenRegistersThenEnables)
{
    options.LoadOptions();
    options.SetPendingOption(id::kHotKeyEnabled, OptionValue::FromInteger(1));
    options.SetPendingOption(id::kHotKeyBrowseLan, OptionValue::FromInteger(0x642));
    options.SetPendingOption(id::kHotKeyWriteNewMsg, OptionValue::FromInteger(0x24e));
    options.SetPendingOption(id::kMsgArcShowDays, OptionValue::FromInteger(0));
    options.SetPendingOption(id::kMsgArcOnTop, OptionValue::FromInteger(1));
    options.SetPendingOption(id::kSoundEnabled, OptionValue::FromInteger(1));
    RecordingHooks hooks;
    options.ApplyPendingOptions(hooks);
    EXPECT_EQ(hooks.calls, (std::vector<std::string>{"unregister 21", "unregister 24", "topmost", "days 1",
                                                     "register 21=590", "register 24=1602", "enable"}));
    EXPECT_EQ(options.Option(id::kSoundEnabled), OptionValue::FromInteger(1));
    EXPECT_EQ(Stored().Find(kOptionsKey, "HotKeyBrowseLan")->AsNumber(), 0x642u);
    EXPECT_EQ(Stored().Find(kOptionsKey, "MsgArcShowDays")->AsNumber(), 0u);  // stored as chosen
    // The pending map stays until the options window next opens.
    EXPECT_EQ(options.EditedOption(id::kHotKeyEnabled), OptionValue::FromInteger(1));

    RecordingHooks again;
    options.SetPendingOption(id::kMsgArcShowDays, OptionValue::FromInteger(7));
    options.SetPendingOption(id::kHotKeyEnabled, OptionValue::FromInteger(0));
    options.ApplyPendingOptions(again);
    EXPECT_EQ(again.calls.back(), "disable");
    EXPECT_NE(std::find(again.calls.begin(), again.calls.end(), "days 7"), again.calls.end());
}

TEST_F(PlOptionsTest, OptionsSurviveARestart)
{
    options.LoadOptions();
    options.Option(id::kSysLanguageFile) = OptionValue::FromText("russian.lng");
    options.Option(id::kSoundEventIncMsgPriv) = OptionValue::FromText("/home/ü/sounds/\"ping\".oga");
    options.Option(id::kUserNickname) = OptionValue::FromText("line one\nline two");
    options.Option(id::kRecvMsgPopWndDeadline) = OptionValue::FromInteger(-7);
    options.SaveOptions();

    PlOptions restarted(registry, autostart, "/opt/parlino/parlino");
    restarted.LoadOptions();
    for (const auto& [optionId, row] : PlOptionTable())
        EXPECT_EQ(restarted.Option(optionId).Text(), options.Option(optionId).Text()) << optionId;
    EXPECT_EQ(restarted.Option(id::kRecvMsgPopWndDeadline).Integer(), -7);
    EXPECT_EQ(restarted.Option(id::kUserNickname).Text(), "line one\nline two");
}

TEST(OptionValue, KindsAndCopies)
{
    OptionValue text = OptionValue::FromText("abc\0def");
    EXPECT_EQ(text.GetKind(), Kind::Text);
    EXPECT_EQ(text.Text(), "abc");
    EXPECT_EQ(text.Integer(), 0);
    OptionValue copy = text;
    copy = OptionValue::FromInteger(5);
    EXPECT_EQ(text.Text(), "abc");
    EXPECT_EQ(copy.Text(), "");
    EXPECT_EQ(copy.Integer(), 5);
    EXPECT_EQ(PlArchiveShowDays(OptionValue::FromInteger(-3)), 1);
    EXPECT_EQ(PlArchiveShowDays(OptionValue::FromInteger(1)), 1);
    EXPECT_EQ(PlArchiveShowDays(OptionValue::FromInteger(2)), 2);
}

}  // namespace
