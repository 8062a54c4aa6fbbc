#include "app/settings/pl_option_table.h"

namespace {

PlOptionRow Text(std::int32_t id, const char* name)
{
    return {id, name, PlOptionRegKind::String, OptionValue()};  // default: empty
}

PlOptionRow Number(std::int32_t id, const char* name, std::int32_t defaultValue)
{
    return {id, name, PlOptionRegKind::Number, OptionValue::FromInteger(defaultValue)};
}

std::map<std::int32_t, PlOptionRow> BuildTable()
{
    namespace id = pl::option_id;
    const PlOptionRow rows[] = {
        Number(id::kAutostart, nullptr, 0),
        Text(id::kSysLanguageFile, "SysLanguageFile"),
        Number(id::kSoundEnabled, "SoundEnabled", 0),
        Text(id::kSoundEventIncMsgBcast, "SoundEventIncMsgBcast"),
        Text(id::kSoundEventIncMsgPriv, "SoundEventIncMsgPriv"),
        Text(id::kSoundEventSendSuccess, "SoundEventSendSuccess"),
        Text(id::kSoundEventSendFail, "SoundEventSendFail"),
        Number(id::kTrayLeftMouseBtn, "TrayLeftMouseBtn", 1),
        Number(id::kMsgSendSuccessSoundNotify, "MsgSendSuccessSoundNotify", 0),
        Number(id::kMsgSendFailSoundNotify, "MsgSendFailSoundNotify", 0),
        Number(id::kMsgSendFailTextNotify, "MsgSendFailTextNotify", 1),
        Number(id::kRecvMsgMainAct, "RecvMsgMainAct", 1),
        Number(id::kRecvMsgSoundNotify, "RecvMsgSoundNotify", 0),
        Number(id::kRecvMsgPopWndAutoclose, "RecvMsgPopWndAutoclose", 1),
        Number(id::kRecvMsgPopWndDeadline, "RecvMsgPopWndDeadline", 10),
        Number(id::kMsgArcOnTop, "MsgArcOnTop", 0),
        Number(id::kMsgArcShowDays, "MsgArcShowDays", 3),
        Number(id::kUserUseNick, "UserUseNick", 0),
        Text(id::kUserNickname, "UserNickname"),
        Number(id::kHotKeyEnabled, "HotKeyEnabled", 0),
        Number(id::kHotKeyWriteNewMsg, "HotKeyWriteNewMsg", 0),
        Number(id::kHotKeyReplyLastMsg, "HotKeyReplyLastMsg", 0),
        Number(id::kHotKeyOpenIncoming, "HotKeyOpenIncoming", 0),
        Number(id::kHotKeyBrowseLan, "HotKeyBrowseLan", 0),
    };
    std::map<std::int32_t, PlOptionRow> table;
    for (const PlOptionRow& row : rows)
        table.emplace(row.id, row);
    return table;
}

}  // namespace

const std::map<std::int32_t, PlOptionRow>& PlOptionTable()
{
    static const std::map<std::int32_t, PlOptionRow> table = BuildTable();
    return table;
}

std::int32_t PlArchiveShowDays(const OptionValue& value)
{
    return value.Integer() < 2 ? 1 : value.Integer();
}
