#include "app/core/pl_receive_notice.h"

#include <algorithm>

#include "app/settings/pl_option_table.h"
#include "transport/messaging/c_msg.h"

namespace {

namespace id = pl::option_id;

constexpr std::int32_t kTextWroteTo = 205;
constexpr std::int32_t kTextNoMessages = 206;

std::string DateAndTime(std::uint64_t fileTime, const PlDateTimeFormat& format)
{
    const PlLocalTime time = PlLocalFromFileTime(fileTime);
    return format.ShortDate(time) + " " + format.Time24(time);
}

}  // namespace

PlReceiveNotice PlNoticeFor(int kind, PlOptions& options)
{
    PlReceiveNotice notice;
    if (options.Option(id::kSoundEnabled).Integer() == 1 && options.Option(id::kRecvMsgSoundNotify).Integer() == 1)
        notice.sound =
            options.Option(kind == kPersonalMessage ? id::kSoundEventIncMsgPriv : id::kSoundEventIncMsgBcast).Text();
    switch (options.Option(id::kRecvMsgMainAct).Integer()) {
    case 2: notice.action = PlReceiveAction::OpenArchive; break;
    case 3: notice.action = PlReceiveAction::Nothing; break;
    default: notice.action = PlReceiveAction::ShowPopup; break;
    }
    if (options.Option(id::kRecvMsgPopWndAutoclose).Integer() == 1)
        notice.popupSeconds = std::max(options.Option(id::kRecvMsgPopWndDeadline).Integer(), 1);
    return notice;
}

std::string PlMessagePopupText(const std::optional<PlLastMessageRecord>& record, const PlTextTable& texts,
                               const PlDateTimeFormat& format)
{
    if (!record)
        return texts.Text(kTextNoMessages);
    return DateAndTime(record->received, format) + "\r\n" + texts.Text(kTextWroteTo, record->from, record->to) +
           "\r\n\r\n" + record->text;
}

std::string PlErrorPopupText(std::uint64_t now, const std::string& text, const PlDateTimeFormat& format)
{
    return DateAndTime(now, format) + "\r\n\r\n" + text;
}
