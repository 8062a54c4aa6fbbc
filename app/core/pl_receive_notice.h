#pragma once
// What the face does when a message has arrived, decided from the options:
// the tray icon blinks, the receipt sound of the message's kind plays when
// sounds and the receipt sound are on, and RecvMsgMainAct chooses the popup
// (hiding itself after RecvMsgPopWndDeadline seconds when RecvMsgPopWndAutoclose
// is 1), the archive on the received messages, or nothing more. The texts of
// the message and error popups are built here too.

#include <cstdint>
#include <optional>
#include <string>

#include "app/core/pl_date_time_format.h"
#include "app/core/pl_last_message.h"
#include "app/settings/pl_options.h"
#include "app/texts/pl_text_table.h"

enum class PlReceiveAction { ShowPopup, OpenArchive, Nothing };

struct PlReceiveNotice {
    bool blink = true;
    std::string sound;  // a file or a sound-theme event id; empty: silence
    PlReceiveAction action = PlReceiveAction::ShowPopup;
    // The popup hides itself after this many seconds (at least one, so that
    // it is seen); none: it stays until closed, and the tray icon stops
    // blinking at once.
    std::optional<std::int32_t> popupSeconds;
};

// REQUIRES: the options were loaded. Face thread (options have no lock).
PlReceiveNotice PlNoticeFor(int kind, PlOptions& options);

// The message popup's text: date, time, "%1 wrote to %2:" and the message;
// "No messages" before the first one.
std::string PlMessagePopupText(const std::optional<PlLastMessageRecord>& record, const PlTextTable& texts,
                               const PlDateTimeFormat& format);
// The error popup's text: the date and time of `now`, then `text`.
std::string PlErrorPopupText(std::uint64_t now, const std::string& text, const PlDateTimeFormat& format);
