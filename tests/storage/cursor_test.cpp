// Cursor positioning, the scan's order and its early stop, refreshes after
// changes, and the observer pattern of data sets.

#include <gtest/gtest.h>

#include <ctime>

#include "storage/pl_data_set.h"
#include "storage/pl_database.h"
#include "storage/pl_mem_heap.h"
#include "storage/pl_observer.h"
#include "storage/pl_storage_errors.h"
#include "storage/pl_value.h"
#include "test_filters.h"
#include "test_support.h"

namespace {

using Cursor = PlDbSrvAbstractCursor;

PlRow Numbered(int i)
{
    return ArchiveRow(1000 + i, "A", "B", std::to_string(i), '1');
}

class StopEverywhere : public PlDbFilter {
public:
    bool Continue(const PlRow&) override
    {
        ++visited;
        return false;
    }
    int visited = 0;
};

}  // namespace

TEST(Cursor, EmptyFileGivesAnEmptySnapshot)
{
    PlMemHeap heap;
    PlDatabase db(heap);
    PlDbFilter all;
    auto cursor = db.CreateCursor(all);
    EXPECT_FALSE(cursor->Move(0, Cursor::kFromFirst));
    EXPECT_FALSE(cursor->Move(0, Cursor::kFromLast));
    EXPECT_FALSE(cursor->Move(0, Cursor::kFromCurrent));
    EXPECT_TRUE(cursor->IsBeforeFirst());
    PlRow row;
    EXPECT_FALSE(cursor->GetRow(row));
    EXPECT_EQ(cursor->GetTid(), (tid{}));
    EXPECT_THROW(db.Delete(cursor->GetTid().pageno, cursor->GetTid().slot), PlDatabaseErr);
}

TEST(Cursor, MovesPositionThenStepAndStopAtTheLastRow)
{
    PlMemHeap heap;
    PlDatabase db(heap);
    for (int i = 0; i < 10; ++i)
        db.Insert(Numbered(i));
    PlDbFilter all;
    auto cursor = db.CreateCursor(all);
    ASSERT_EQ(cursor->Count(), 10);
    EXPECT_TRUE(cursor->Move(-3, Cursor::kFromFirst));
    EXPECT_EQ(cursor->CurrentIndex(), 3);
    PlRow row;
    ASSERT_TRUE(cursor->GetRow(row));
    EXPECT_EQ(row.FieldText(3), "6");  // newest first
    EXPECT_TRUE(cursor->Move(4, Cursor::kFromCurrent));
    EXPECT_EQ(cursor->CurrentIndex(), 7);
    EXPECT_FALSE(cursor->Move(5, Cursor::kFromCurrent));
    EXPECT_EQ(cursor->CurrentIndex(), 9);
    EXPECT_TRUE(cursor->Move(0, Cursor::kFromLast));
    EXPECT_EQ(cursor->CurrentIndex(), 9);
    EXPECT_FALSE(cursor->Move(1, 7));  // no positioning, and no room to step
    EXPECT_TRUE(cursor->Move(std::numeric_limits<std::int32_t>::min() + 1, Cursor::kFromFirst) == false);
    EXPECT_EQ(cursor->CurrentIndex(), 9);
}

TEST(Cursor, AFilterThatNeverContinuesSeesOneRowPerPageOfTheLastMapPage)
{
    PlMemHeap heap;
    PlDatabase db(heap);
    PlRow big;
    big.SetField(0, std::string(1500, 'x'));
    for (int i = 0; i < 12; ++i)  // two per page: pages 2, 3, 4, 6, 7, 8
        db.Insert(big);
    StopEverywhere filter;
    auto cursor = db.CreateCursor(filter);
    EXPECT_EQ(cursor->Count(), 0);
    EXPECT_EQ(filter.visited, 3);
}

TEST(Cursor, RefreshFollowsChangesAndKeepsTheIndex)
{
    PlMemHeap heap;
    PlDatabase db(heap);
    PlDbFilter all;
    auto cursor = db.CreateCursor(all);
    for (int i = 0; i < 5; ++i)
        db.Insert(Numbered(i));
    ASSERT_EQ(cursor->Count(), 5);
    cursor->Move(-2, Cursor::kFromFirst);
    ASSERT_TRUE(cursor->Move(0, Cursor::kFromFirst));
    const tid newest = cursor->GetTid();
    cursor->Move(-2, Cursor::kFromFirst);
    db.Delete(newest.pageno, newest.slot);
    EXPECT_EQ(cursor->Count(), 4);
    EXPECT_EQ(cursor->CurrentIndex(), 2);
    PlRow row;
    cursor->GetRow(row);
    EXPECT_EQ(row.FieldText(3), "1");
    EXPECT_EQ(ReadAll(*cursor), ReferenceScan(heap, all));
}

TEST(Cursor, ARecordIsReadWithItsPlaceAndDeletedWhereverItMovedInItsPage)
{
    PlMemHeap heap;
    PlDatabase db(heap);
    PlDbFilter all;
    auto cursor = db.CreateCursor(all);
    for (int i = 0; i < 4; ++i)
        db.Insert(Numbered(i));
    PlRow row;
    tid where;
    EXPECT_FALSE(cursor->ReadRecord(4, row, where));
    ASSERT_TRUE(cursor->ReadRecord(1, row, where));  // "2", slot 2
    EXPECT_EQ(row.FieldText(3), "2");
    EXPECT_EQ(cursor->CurrentIndex(), 1);
    db.Insert(Numbered(4));
    db.Delete(where.pageno, 0);  // "0": the row read moves down to slot 1
    db.Delete(where, row);
    for (const ReferenceEntry& e : ReferenceScan(heap, all))
        EXPECT_NE(e.row.FieldText(3), "2");
    EXPECT_EQ(cursor->Count(), 3);
    EXPECT_THROW(db.Delete(where, row), PlDatabaseErr);  // gone: nothing else is deleted
    EXPECT_EQ(cursor->Count(), 3);
}

TEST(Cursor, SeveralCursorsSeeTheirOwnFilters)
{
    PlMemHeap heap;
    PlDatabase db(heap);
    FakeClock clock;
    TimeWindowFilter received(clock, 1, '1');
    NameFilter bob("bob");
    auto a = db.CreateCursor(received);
    auto b = db.CreateCursor(bob);
    db.Insert(ArchiveRow(clock.now - 2 * kFileTimeDay, "CAROL", "DAVE", "old", '1'));
    db.Insert(ArchiveRow(clock.now - kFileTimeDay / 2, "ALICE", "BOB", "new", '1'));
    db.Insert(ArchiveRow(clock.now, "BOB", "ALICE", "sent", '2'));
    EXPECT_EQ(a->Count(), 1);
    EXPECT_EQ(b->Count(), 2);
    b.reset();
    db.Insert(ArchiveRow(clock.now, "X", "Y", "z", '1'));
    EXPECT_EQ(a->Count(), 2);
}

TEST(Observer, NotifyCallsEveryAttachmentInOrder)
{
    struct Recorder : PlObserver {
        void Update(PlObservationSubject&) override { ++updates; }
        int updates = 0;
    };
    PlObservationSubject subject;
    subject.Notify();
    Recorder a;
    Recorder b;
    subject.Attach(&a);
    subject.Attach(&b);
    subject.Attach(&a);
    subject.Notify();
    EXPECT_EQ(a.updates, 2);
    EXPECT_EQ(b.updates, 1);
    subject.Detach(&a);
    subject.Notify();
    EXPECT_EQ(a.updates, 3);
    subject.Detach(&b);
    subject.Detach(&b);
    subject.Notify();
    EXPECT_EQ(b.updates, 2);
}

TEST(Value, HoldsTextOrScalarAndKeepsTheHighWordOfAnInteger)
{
    PlValue value;
    EXPECT_EQ(value.GetTag(), PlValue::kEmpty);
    value.SetTime(1, 2);
    value.SetInteger(5);
    EXPECT_EQ(value.Time(), (std::uint64_t{2} << 32) | 5);
    value.SetText("hello");
    PlValue copy = value;
    EXPECT_EQ(copy.Text(), "hello");
    value.Clear();
    EXPECT_EQ(value.GetTag(), PlValue::kEmpty);
    EXPECT_EQ(copy.GetTag(), PlValue::kText);
}

namespace {

// A data set of plain strings, to see what the base class adds.
class ListDataSet : public PlDataSet {
public:
    bool SetCurrent(std::int32_t index) override
    {
        current = index;
        return true;
    }
    std::int32_t GetLastIndex() override { return static_cast<std::int32_t>(items.size()) - 1; }
    std::int32_t GetCurrent() override { return current; }
    PlValue& ReadValue(PlValue& value, std::int32_t index, const std::string& name) override
    {
        if (name == "Text" && index >= 0 && index <= GetLastIndex())
            value.SetText(items[static_cast<std::size_t>(index)]);
        return value;
    }
    void WriteValue(std::int32_t index, const std::string& name, const PlValue& value) override
    {
        if (name == "Text" && index >= 0 && index <= GetLastIndex())
            items[static_cast<std::size_t>(index)] = value.Text();
    }
    std::int32_t InsertRecord() override
    {
        items.emplace_back();
        return GetLastIndex();
    }
    void DeleteRecord(std::int32_t index) override { items.erase(items.begin() + index); }
    void ClearRecords() override { items.clear(); }

    std::vector<std::string> items;
    std::int32_t current = 0;
};

}  // namespace

TEST(DataSet, NavigationStaysInsideAndChangesNotify)
{
    struct Counter : PlObserver {
        void Update(PlObservationSubject&) override { ++updates; }
        int updates = 0;
    } counter;
    ListDataSet set;
    set.Attach(&counter);
    EXPECT_EQ(set.RecordCount(), 0);
    EXPECT_EQ(set.Append(), 0);
    EXPECT_EQ(set.Append(), 1);
    PlValue text;
    text.SetText("hello");
    set.SetValue(1, "Text", text);
    EXPECT_EQ(counter.updates, 2);  // SetValue does not notify
    EXPECT_EQ(set.GetValue(1, "Text").Text(), "hello");
    EXPECT_EQ(set.GetValue(1, "text").GetTag(), PlValue::kEmpty);  // names are case-sensitive
    set.First();
    set.Prev();
    EXPECT_EQ(set.GetCurrent(), 0);
    set.Next();
    set.Next();
    EXPECT_EQ(set.GetCurrent(), 1);
    set.Delete(0);
    set.ClearAll();
    EXPECT_EQ(set.RecordCount(), 0);
    EXPECT_EQ(counter.updates, 4);
}

TEST(Clock, SystemClockGivesTodaysLocalFileTime)
{
    const std::uint64_t now = PlSystemClock().NowLocalFileTime();
    const std::uint64_t utc = 116444736000000000ULL + static_cast<std::uint64_t>(std::time(nullptr)) * 10000000ULL;
    EXPECT_LT(now > utc ? now - utc : utc - now, 15 * 3600 * 10000000ULL);  // within any time zone's offset
}
