#include "storage/pl_db_mem_cursor.h"

#include <cstdlib>

#include "storage/pl_database.h"

PlDbSrvMemCursor::PlDbSrvMemCursor(PlDatabase& database, PlDbFilter& filter)
    : database_(database), filter_(filter), snapshot_(std::make_shared<PlSnapshot>())
{
}

PlDbSrvMemCursor::~PlDbSrvMemCursor()
{
    database_.RemoveCursor(this);
}

void PlDbSrvMemCursor::Refresh()
{
    database_.RefreshCursor(*this);
}

void PlDbSrvMemCursor::RefreshLocked(PlPageCache* cache)
{
    std::shared_ptr<const PlSnapshot> next = cache ? scanner_.Scan(*cache, filter_) : std::make_shared<PlSnapshot>();
    std::lock_guard guard(snapshotLock_);
    snapshot_.swap(next);
    // the old snapshot is freed here or by the last reader still holding it
}

std::shared_ptr<const PlSnapshot> PlDbSrvMemCursor::Current() const
{
    std::lock_guard guard(snapshotLock_);
    return snapshot_;
}

std::int32_t PlDbSrvMemCursor::Count() const
{
    return Current()->Size();
}

bool PlDbSrvMemCursor::Move(std::int32_t n, std::int32_t origin)
{
    const std::int32_t size = Count();
    std::int32_t index = current_.load();
    switch (origin) {
    case kFromCurrent:
        if (index < 0 || index >= size)
            return false;
        break;
    case kFromLast:
    case kFromFirst:
        if (size == 0)
            return false;
        index = origin == kFromLast ? size - 1 : 0;
        break;
    default: break;
    }
    // |n| single steps, each failing at the last row, made at once.
    const std::int64_t wanted = std::llabs(std::int64_t{n});
    const std::int64_t room = index < size - 1 ? std::int64_t{size} - 1 - index : 0;
    const std::int64_t steps = wanted < room ? wanted : room;
    current_.store(static_cast<std::int32_t>(index + steps));
    return steps == wanted;
}

bool PlDbSrvMemCursor::GetRow(PlRow& row)
{
    const std::shared_ptr<const PlSnapshot> snapshot = Current();
    const std::int32_t index = current_.load();
    if (index < 0 || index >= snapshot->Size())
        return false;
    snapshot->RowAt(index, row);
    return true;
}

tid PlDbSrvMemCursor::GetTid()
{
    const std::shared_ptr<const PlSnapshot> snapshot = Current();
    const std::int32_t index = current_.load();
    if (index < 0 || index >= snapshot->Size())
        return tid{};
    return snapshot->TidAt(index);
}

bool PlDbSrvMemCursor::ReadRecord(std::int32_t index, PlRow& row, tid& where)
{
    const std::shared_ptr<const PlSnapshot> snapshot = Current();
    if (index < 0 || index >= snapshot->Size())
        return false;
    snapshot->RowAt(index, row);
    where = snapshot->TidAt(index);
    current_.store(index);
    return true;
}
