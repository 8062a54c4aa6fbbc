#pragma once
// PlArchivePages: what the archive window's four pages show and what its
// commands do, without the window. Page 0 shows the received messages, 1
// the sent ones, 2 the conversation with one name, 3 the search by name,
// period and text; each is one of the archive's views. The dialog and the
// manual filter re-open their views; the context menu's commands act on one
// row of a page's view.
//
// Threads: the user-interface thread, as the views.

#include <cstdint>
#include <optional>
#include <string>

#include "app/core/pl_message_archive.h"
#include "archive/pl_archive_time.h"

class PlArchivePages {
public:
    static constexpr int kIncoming = 0;
    static constexpr int kOutcoming = 1;
    static constexpr int kDialog = 2;
    static constexpr int kFilter = 3;
    static constexpr int kCount = 4;

    explicit PlArchivePages(PlMessageArchive& archive) : archive_(archive) {}

    // The view that `page` shows. REQUIRES: 0 <= page < kCount.
    PlMsgLogDataSetBase& View(int page);

    // Re-opens the conversation view for `name` (empty: every name).
    void ApplyDialog(const std::string& name);
    // Re-opens the search view for `name` (empty: every name), the whole days
    // from `firstDay` to `lastDay` and messages containing `text` (empty:
    // all).
    void ApplyManual(const std::string& name, const PlLocalTime& firstDay, const PlLocalTime& lastDay,
                     const std::string& text);

    // The commands take record `row` of the page's view and do nothing (none,
    // false) when there is no such record: no selection (−1), or a row the
    // list no longer has.
    // Whom "Write message to sender" writes to: the row's originator.
    std::optional<std::string> Sender(int page, std::int32_t row);
    // What "Copy" copies: the message text alone, line breaks as CR LF.
    std::optional<std::string> MessageText(int page, std::int32_t row);
    // Deletes the row from the archive. The database re-scans every view,
    // and all four notify, so that every list and its scroll range show the
    // archive as it is. False when nothing was deleted: no such row, or the
    // archive refused (its reason in `problem` when given; the lists stay).
    bool Delete(int page, std::int32_t row, std::string* problem = nullptr);

private:
    PlMessageArchive& archive_;
};
