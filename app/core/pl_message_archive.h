#pragma once
// PlMessageArchive: the message archive file and its four views (received,
// sent, conversation, search), opened as the program starts: the three
// time-window views show the days of MsgArcShowDays, values below 2 counting
// as 1. Rows of received and sent messages are stored here; a row the archive
// refuses is reported to the caller and never stops a message.
//
// Threads: Store* may run on any thread (the database serialises them). The
// views, Notify* and SetShowDays belong to the face's thread: views are read
// there, and a change on another thread only replaces their snapshots.
// Open and Close run on the face's thread while no Store* runs.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "app/archive_view/pl_text_search.h"
#include "archive/pl_msg_log_data_sets.h"
#include "storage/pl_clock.h"
#include "storage/pl_database.h"
#include "transport/messaging/c_msg.h"

class PlMessageArchive {
public:
    explicit PlMessageArchive(const PlClock& clock = PlDefaultClock());

    // Opens (creating when missing) the archive file and the received, sent
    // and conversation views. False when the file cannot be opened: the views
    // then stay empty and nothing is stored.
    bool Open(const std::string& path, std::int32_t showDays);
    void Close();
    bool IsOpen() const { return open_; }

    // Stores the row of a message received / sent at `localFileTime`. False,
    // with the reason in `problem` when given, when the archive refused it.
    bool StoreReceived(const CMsg& msg, std::uint64_t localFileTime, std::string* problem = nullptr);
    bool StoreSent(const CMsg& msg, std::uint64_t localFileTime, std::string* problem = nullptr);

    // Tells the observers of the views that may show a new received / sent
    // row: the received / sent view, the conversation and the search.
    void NotifyReceived();
    void NotifySent();
    // Re-opens the three time-window views with `days` days (below 2 = 1).
    void SetShowDays(std::int32_t days);

    PlMsgLogDataSet2& Received() { return received_; }
    PlMsgLogOut& Sent() { return sent_; }
    PlMsgLogDialog& Dialog() { return dialog_; }
    PlMsgLogTextSearch& Search() { return search_; }
    PlDatabase& Database() { return database_; }

private:
    bool Store(const std::function<PlRow()>& row, std::string* problem);
    void ReopenWindow(PlMsgLogDataSetBase& view, PlTimeWindowFilter& filter, std::int32_t days);

    PlDatabase database_;
    PlMsgLogDataSet2 received_;
    PlMsgLogOut sent_;
    PlMsgLogDialog dialog_;
    PlMsgLogTextSearch search_;
    std::atomic<bool> open_{false};
};
