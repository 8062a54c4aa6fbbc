#pragma once
// The four views of the message archive: each a data set over a filtered
// cursor of the archive database, newest row first. They share one
// behaviour (PlMsgLogDataSetBase) and differ only in their filter.
//
// Records are read only: WriteValue and InsertRecord refuse and change
// nothing (rows enter the archive through PlDatabase::Insert). Indexes below
// 0 or past the last record are refused: ReadValue leaves the value as it
// was, DeleteRecord deletes nothing.
//
// Threads: a view is used from one thread (the user interface); the database
// may change meanwhile on another thread, which only replaces the cursor's
// snapshot.

#include <cstdint>
#include <memory>

#include "archive/pl_msg_log_filters.h"
#include "storage/pl_data_set.h"
#include "storage/pl_database.h"

class PlMsgLogDataSetBase : public PlDataSet {
public:
    ~PlMsgLogDataSetBase() override;

    // The archive, not owned; set before Open.
    void SetDatabase(PlDatabase* database) { database_ = database; }
    PlDatabase* Database() const { return database_; }

    // Creates the cursor with the view's filter (the first scan), then
    // notifies. Re-opens when already open; does nothing without a database.
    void Open();
    void Close();
    bool IsOpen() const { return cursor_ != nullptr; }

    bool SetCurrent(std::int32_t index) override;
    std::int32_t GetCurrent() override { return current_; }
    std::int32_t GetLastIndex() override;
    PlValue& ReadValue(PlValue& value, std::int32_t index, const std::string& name) override;
    // Refused: changes nothing.
    void WriteValue(std::int32_t index, const std::string& name, const PlValue& value) override;
    // Refused: changes nothing and returns −1.
    std::int32_t InsertRecord() override;
    // Deletes the row that record `index` shows from the archive (every
    // cursor is re-scanned), then notifies this view's observers. The row and
    // its place come from one snapshot, and the database deletes exactly that
    // row, also when messages arrive meanwhile. Throws PlDatabaseErr when the
    // database cannot delete it.
    void DeleteRecord(std::int32_t index) override;
    void ClearRecords() override {}

protected:
    explicit PlMsgLogDataSetBase(std::unique_ptr<PlDbFilter> filter) : filter_(std::move(filter)) {}
    PlDbFilter& BaseFilter() { return *filter_; }

private:
    // Record `index` and its place, from one snapshot; false when there is
    // no such record.
    bool ReadRecord(std::int32_t index, PlRow& row, tid& where);

    std::int32_t current_ = 0;
    PlDatabase* database_ = nullptr;
    std::unique_ptr<PlDbFilter> filter_;  // outlives the cursor
    std::unique_ptr<PlDbSrvMemCursor> cursor_;
};

// Received messages of the last days.
class PlMsgLogDataSet2 : public PlMsgLogDataSetBase {
public:
    explicit PlMsgLogDataSet2(const PlClock& clock = PlDefaultClock())
        : PlMsgLogDataSetBase(std::make_unique<FilterIncoming2>(clock))
    {
    }
    FilterIncoming2& Filter() { return static_cast<FilterIncoming2&>(BaseFilter()); }
};

// Sent messages of the last days.
class PlMsgLogOut : public PlMsgLogDataSetBase {
public:
    explicit PlMsgLogOut(const PlClock& clock = PlDefaultClock())
        : PlMsgLogDataSetBase(std::make_unique<FilterOutcoming>(clock))
    {
    }
    FilterOutcoming& Filter() { return static_cast<FilterOutcoming&>(BaseFilter()); }
};

// The conversation with one name (or everything) of the last days.
class PlMsgLogDialog : public PlMsgLogDataSetBase {
public:
    explicit PlMsgLogDialog(const PlClock& clock = PlDefaultClock())
        : PlMsgLogDataSetBase(std::make_unique<FilterDialog>(clock))
    {
    }
    FilterDialog& Filter() { return static_cast<FilterDialog&>(BaseFilter()); }
};

// Messages with one name (or all) between two times.
class PlMsgLogFiltered : public PlMsgLogDataSetBase {
public:
    PlMsgLogFiltered() : PlMsgLogDataSetBase(std::make_unique<FilterManual>()) {}
    FilterManual& Filter() { return static_cast<FilterManual&>(BaseFilter()); }

protected:
    // For a search that narrows the rows further.
    explicit PlMsgLogFiltered(std::unique_ptr<FilterManual> filter) : PlMsgLogDataSetBase(std::move(filter)) {}
};
