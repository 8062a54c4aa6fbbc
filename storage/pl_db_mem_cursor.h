#pragma once
// PlDbSrvMemCursor: a cursor over an in-memory snapshot of the rows its filter
// takes, re-taken by its database after every Insert and Delete.
//
// Threads: Move, GetRow, GetTid, IsBeforeFirst and Count may run on any thread
// while another thread changes the database: a refresh publishes a new,
// complete snapshot and a reader always works on one whole snapshot, never on
// freed or half-built rows. The current index is kept across refreshes.
// Created by PlDatabase::CreateCursor; the cursor must not outlive its
// database or its filter; destroying it removes it from its database.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "storage/pl_db_cursor.h"
#include "storage/pl_db_filter.h"
#include "storage/pl_scanner.h"
#include "storage/pl_snapshot.h"

class PlDatabase;

class PlDbSrvMemCursor : public PlDbSrvAbstractCursor {
public:
    PlDbSrvMemCursor(PlDatabase& database, PlDbFilter& filter);
    PlDbSrvMemCursor(const PlDbSrvMemCursor&) = delete;
    PlDbSrvMemCursor& operator=(const PlDbSrvMemCursor&) = delete;
    ~PlDbSrvMemCursor() override;

    // Re-takes the snapshot under the database's lock.
    void Refresh() override;
    // Positions by origin, then steps |n| rows forward (the sign of n is
    // ignored). False when the origin is impossible or a step would pass the
    // last row; the index then rests on the last row reached.
    bool Move(std::int32_t n, std::int32_t origin) override;
    bool GetRow(PlRow& row) override;
    // The current row's place; tid{0, 0} (which names no row) without one.
    tid GetTid() override;
    // Record `index` of one snapshot, its row and its place read together, so
    // that a refresh in between cannot pair a row with another row's place;
    // it becomes the current row. False, changing nothing, when the snapshot
    // has no such record.
    bool ReadRecord(std::int32_t index, PlRow& row, tid& where);
    bool IsBeforeFirst() override { return current_.load() < 0; }

    // Rows in the snapshot.
    std::int32_t Count() const;
    std::int32_t CurrentIndex() const { return current_.load(); }

private:
    friend class PlDatabase;
    // REQUIRES: the database's lock is held. A null cache (a closed
    // database) gives an empty snapshot.
    void RefreshLocked(PlPageCache* cache);
    std::shared_ptr<const PlSnapshot> Current() const;

    PlDatabase& database_;
    PlDbFilter& filter_;
    PlScanner scanner_;
    mutable std::mutex snapshotLock_;  // guards the pointer only, never a scan
    std::shared_ptr<const PlSnapshot> snapshot_;
    std::atomic<std::int32_t> current_{-1};
};
