#pragma once
// The table of options: for each option id its registry value name, the
// registry type it is saved as, and its default.

#include "app/settings/pl_option_value.h"

#include <cstdint>
#include <map>

// Option ids; the names are the registry value names.
namespace pl::option_id {
inline constexpr std::int32_t kAutostart = 1;  // kept in the autostart entry
inline constexpr std::int32_t kSysLanguageFile = 2;
inline constexpr std::int32_t kSoundEnabled = 3;
inline constexpr std::int32_t kSoundEventIncMsgBcast = 4;
inline constexpr std::int32_t kSoundEventIncMsgPriv = 5;
inline constexpr std::int32_t kSoundEventSendSuccess = 6;
inline constexpr std::int32_t kSoundEventSendFail = 7;
inline constexpr std::int32_t kTrayLeftMouseBtn = 8;
inline constexpr std::int32_t kMsgSendSuccessSoundNotify = 9;
inline constexpr std::int32_t kMsgSendFailSoundNotify = 10;
inline constexpr std::int32_t kMsgSendFailTextNotify = 11;
inline constexpr std::int32_t kRecvMsgMainAct = 12;
inline constexpr std::int32_t kRecvMsgSoundNotify = 13;
inline constexpr std::int32_t kRecvMsgPopWndAutoclose = 14;
inline constexpr std::int32_t kRecvMsgPopWndDeadline = 15;
inline constexpr std::int32_t kMsgArcOnTop = 16;
inline constexpr std::int32_t kMsgArcShowDays = 17;
inline constexpr std::int32_t kUserUseNick = 18;
inline constexpr std::int32_t kUserNickname = 19;
inline constexpr std::int32_t kHotKeyEnabled = 20;
inline constexpr std::int32_t kHotKeyWriteNewMsg = 21;
inline constexpr std::int32_t kHotKeyReplyLastMsg = 22;
inline constexpr std::int32_t kHotKeyOpenIncoming = 23;
inline constexpr std::int32_t kHotKeyBrowseLan = 24;
}  // namespace pl::option_id

// How an option is saved in the registry.
enum class PlOptionRegKind : std::uint8_t {
    String = 0,  // REG_SZ
    Number = 1,  // REG_DWORD
};

struct PlOptionRow {
    std::int32_t id;
    const char* valueName;  // nullptr for the autostart option
    PlOptionRegKind kind;
    OptionValue defaultValue;
};

// Every row by id; procedures walk it in ascending id order.
const std::map<std::int32_t, PlOptionRow>& PlOptionTable();

// The registry key of the options, below HKEY_CURRENT_USER.
inline constexpr char kPlOptionsKey[] = "\\Software\\Parlino Software\\Parlino Messenger\\Options";

// The number of days the archive lists show for a MsgArcShowDays value:
// values below 2 count as 1.
std::int32_t PlArchiveShowDays(const OptionValue& value);
