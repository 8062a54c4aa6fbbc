#pragma once
// PlDatabase: a single-file store of variable-length rows in 4096-byte pages.
// Rows are appended (Insert), read through cursors and removed by their tid
// (Delete). Every change refreshes every open cursor before it returns.
//
// Threads: every operation is serialised by the database's lock (taken
// before the heap's); cursors are read without it (see PlDbSrvMemCursor).
// Close waits for an Insert or Delete in progress; after it, Insert and
// Delete throw PlDatabaseErr and a refresh gives an empty snapshot, until
// the database is opened again.
//
// The file is written through at once, never cached for writing; reads go
// through a bounded cache of recent blocks (PlPageCache), valid because an
// open database holds the file's writer lock. Memory does not grow with the
// file: cursors hold copies of the rows their filters took, no pages.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "storage/pl_db_allocator.h"
#include "storage/pl_db_filter.h"
#include "storage/pl_db_mem_cursor.h"
#include "storage/pl_file_heap.h"
#include "storage/pl_page_cache.h"
#include "storage/pl_row.h"
#include "storage/pl_tid.h"

class PlDatabase {
public:
    // A database on the file named by SetPath.
    PlDatabase();
    // A database on a heap owned by the caller (memory, fault injection,
    // a copy of a file); Open and Close then do nothing to the heap.
    explicit PlDatabase(PlAbstractPageHeap& heap);
    PlDatabase(const PlDatabase&) = delete;
    PlDatabase& operator=(const PlDatabase&) = delete;
    virtual ~PlDatabase();

    void SetPath(std::string path) { path_ = std::move(path); }
    const std::string& Path() const { return path_; }

    // Opens (creating when missing) the file for reading and writing. False
    // when it cannot be opened or another process holds it for writing.
    bool Open();
    // Opens the file for reading only, also while another process writes it;
    // Insert and Delete then throw PlDatabaseErr.
    bool OpenReadOnly();
    // Closes the file (a database on a caller's heap only stops using it).
    void Close();
    bool IsOpen();

    // Stores a copy of the row and returns where it went. Throws
    // PlDatabaseErr for a row below 2 or above 4044 bytes, for a file that is
    // not a database, and for every failure of the file.
    tid Insert(const PlRow& row);
    // Removes the row. Throws PlDatabaseErr when there is no such row.
    void Delete(std::uint32_t pageno, std::uint32_t slot);
    // Removes the row `expected` that a snapshot showed at `where`. An Insert
    // never moves a row; a Delete of a row before it in the same page moves
    // it to a lower slot, where it is looked for. Throws PlDatabaseErr when
    // the page no longer holds it.
    void Delete(tid where, const PlRow& expected);
    // A cursor over the rows the filter takes, its first scan done. The caller
    // owns the cursor; the filter must outlive it.
    std::unique_ptr<PlDbSrvMemCursor> CreateCursor(PlDbFilter& filter);

private:
    friend class PlDbSrvMemCursor;
    void RemoveCursor(PlDbSrvMemCursor* cursor);
    void RefreshCursor(PlDbSrvMemCursor& cursor);
    void RefreshAll();
    // REQUIRES: lock_ is held. Throws PlDatabaseErr when the database is closed.
    void RequireOpen(const char* operation) const;
    bool Reopen(bool readOnly);

    std::mutex lock_;
    PlFileHeap fileHeap_;
    PlAbstractPageHeap* heap_;  // fileHeap_ or the caller's heap
    PlPageCache cache_;
    std::unique_ptr<PlDbAllocator> allocator_;
    std::vector<PlDbSrvMemCursor*> cursors_;
    std::string path_;
    bool open_;  // a database on a caller's heap is open from the start
};
