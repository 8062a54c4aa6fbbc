#include "storage/pl_database.h"

#include <algorithm>

#include "storage/pl_storage_errors.h"

PlDatabase::PlDatabase()
    : heap_(&fileHeap_), cache_(*heap_), allocator_(std::make_unique<PlDbAllocator>(cache_)), open_(false)
{
}

PlDatabase::PlDatabase(PlAbstractPageHeap& heap)
    : heap_(&heap), cache_(*heap_), allocator_(std::make_unique<PlDbAllocator>(cache_)), open_(true)
{
}

PlDatabase::~PlDatabase() = default;

bool PlDatabase::Open()
{
    return Reopen(false);
}

bool PlDatabase::OpenReadOnly()
{
    return Reopen(true);
}

bool PlDatabase::Reopen(bool readOnly)
{
    std::lock_guard guard(lock_);
    cache_.Clear();
    allocator_ = std::make_unique<PlDbAllocator>(cache_);
    if (heap_ == &fileHeap_)
        open_ = readOnly ? fileHeap_.OpenReadOnly(path_) : fileHeap_.Open(path_, true);
    else
        open_ = true;
    return open_;
}

void PlDatabase::Close()
{
    std::lock_guard guard(lock_);  // waits for an Insert or Delete in progress
    open_ = false;
    if (heap_ == &fileHeap_)
        fileHeap_.Close();
    cache_.Clear();
}

bool PlDatabase::IsOpen()
{
    std::lock_guard guard(lock_);
    return open_;
}

void PlDatabase::RequireOpen(const char* operation) const
{
    if (!open_)
        throw PlDatabaseErr(PlFormatDiagnostic(operation, "the database is not open", {}));
}

tid PlDatabase::Insert(const PlRow& row)
{
    std::lock_guard guard(lock_);
    RequireOpen("PlDatabase::Insert()");
    const auto size = static_cast<std::int32_t>(row.GetSize());
    if (size < 2 || size > static_cast<std::int32_t>(pl::page::kMaxRowSize))
        throw PlDatabaseErr(PlFormatDiagnostic("PlDatabase::Insert()", "aRow.GetSize() < 2 || aRow.GetSize() > 4044",
                                               {{"aRow.GetSize()", size}}));
    // The row goes into its page with its content at once: no reserved row
    // ever reaches the file.
    const tid where = allocator_->AllocateRow(size, row.Data());
    if (where.pageno == 0)
        throw PlDatabaseErr(PlFormatDiagnostic("PlDatabase::Insert()", "tid.pageno == 0", {{"aRow.GetSize()", size}}));
    RefreshAll();
    return where;
}

void PlDatabase::Delete(std::uint32_t pageno, std::uint32_t slot)
{
    std::lock_guard guard(lock_);
    RequireOpen("PlDatabase::Delete()");
    allocator_->DeleteRow(pageno, slot);
    RefreshAll();
}

void PlDatabase::Delete(tid where, const PlRow& expected)
{
    std::lock_guard guard(lock_);
    RequireOpen("PlDatabase::Delete()");
    allocator_->DeleteRow(where.pageno, allocator_->FindRow(where, expected));
    RefreshAll();
}

std::unique_ptr<PlDbSrvMemCursor> PlDatabase::CreateCursor(PlDbFilter& filter)
{
    auto cursor = std::make_unique<PlDbSrvMemCursor>(*this, filter);
    std::lock_guard guard(lock_);
    cursor->RefreshLocked(open_ ? &cache_ : nullptr);
    cursors_.push_back(cursor.get());
    return cursor;
}

void PlDatabase::RemoveCursor(PlDbSrvMemCursor* cursor)
{
    std::lock_guard guard(lock_);
    const auto it = std::find(cursors_.begin(), cursors_.end(), cursor);
    if (it != cursors_.end())
        cursors_.erase(it);
}

void PlDatabase::RefreshCursor(PlDbSrvMemCursor& cursor)
{
    std::lock_guard guard(lock_);
    cursor.RefreshLocked(open_ ? &cache_ : nullptr);
}

void PlDatabase::RefreshAll()
{
    for (PlDbSrvMemCursor* cursor : cursors_)
        cursor->RefreshLocked(open_ ? &cache_ : nullptr);
}
