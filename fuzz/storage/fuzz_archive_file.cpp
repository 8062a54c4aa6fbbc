// Opens arbitrary bytes as a database file and runs every cursor and
// data-set operation on it, then changes it and checks it: after the
// changes, every cursor refreshed step by step must hold what a new cursor's
// full scan takes. Input: 8 bytes of operation parameters, then the file
// image, decoded from memory.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "storage/pl_data_set.h"
#include "storage/pl_database.h"
#include "storage/pl_db_check.h"
#include "storage/pl_mem_heap.h"
#include "storage/pl_storage_errors.h"

namespace {

// Reads fields as a data set over a database does: position on the first
// row, then step to the record.
class RowDataSet : public PlDataSet {
public:
    RowDataSet(PlDatabase& db, PlDbSrvMemCursor& cursor) : db_(db), cursor_(cursor) {}

    bool SetCurrent(std::int32_t index) override
    {
        current_ = index;
        return true;
    }
    std::int32_t GetLastIndex() override { return cursor_.Count() - 1; }
    std::int32_t GetCurrent() override { return current_; }
    PlValue& ReadValue(PlValue& value, std::int32_t index, const std::string& name) override
    {
        PlRow row;
        tid where;
        if (!cursor_.ReadRecord(index, row, where))
            return value;
        const int field = name.empty() ? 0 : name[0] - '0';
        if (field < 0 || field >= row.FieldCount())
            value.Clear();
        else if (row.FieldLength(static_cast<std::uint16_t>(field)) == 8)
            value.SetTime(0, row.GetField(static_cast<std::uint16_t>(field))[7]);
        else
            value.SetText(row.FieldText(static_cast<std::uint16_t>(field)));
        return value;
    }
    void WriteValue(std::int32_t, const std::string&, const PlValue&) override {}
    std::int32_t InsertRecord() override { return -1; }
    void DeleteRecord(std::int32_t index) override
    {
        PlRow row;
        tid where;
        if (!cursor_.ReadRecord(index, row, where))
            return;
        try {
            db_.Delete(where, row);
        } catch (const PlDatabaseErr&) {
        }
    }
    void ClearRecords() override {}

private:
    PlDatabase& db_;
    PlDbSrvMemCursor& cursor_;
    std::int32_t current_ = 0;
};

class NameFilter : public PlDbFilter {
public:
    bool Accept(const PlRow& row) override { return row.FieldCount() >= 5 && row.FieldText(1).find('A') == 0; }
    bool Continue(const PlRow& row) override { return row.FieldCount() < 2 || row.FieldLength(0) != 3; }
    std::optional<std::string> ResultKey() const override { return "A"; }
};

// A window on the first byte of field 0, stated as a continue threshold.
class WindowFilter : public PlDbFilter {
public:
    bool Accept(const PlRow& row) override { return row.FieldCount() >= 2 && row.FieldLength(1) % 2 == 0; }
    bool Continue(const PlRow& row) override { return ContinueTime(row) >= threshold; }
    std::optional<std::string> ResultKey() const override { return "W"; }
    std::optional<std::uint64_t> ContinueThreshold() const override { return threshold; }
    std::uint64_t ContinueTime(const PlRow& row) override
    {
        return row.FieldCount() >= 1 && row.FieldLength(0) > 0 ? row.GetField(0)[0] : UINT64_MAX;
    }
    std::uint64_t threshold = 0;
};

std::vector<std::pair<tid, PlRow>> Entries(PlDbSrvMemCursor& cursor)
{
    std::vector<std::pair<tid, PlRow>> entries;
    PlRow row;
    tid where;
    for (std::int32_t i = 0; cursor.ReadRecord(i, row, where); ++i)
        entries.emplace_back(where, row);
    return entries;
}

// A cursor refreshed step by step holds what a new cursor's full scan takes.
// (Refreshed once more: an Insert that failed half-way refreshed nothing.)
void CheckAgainstFullScan(PlDatabase& db, PlDbSrvMemCursor& cursor, PlDbFilter& filter)
{
    cursor.Refresh();
    if (Entries(cursor) != Entries(*db.CreateCursor(filter)))
        std::abort();
}

void ReadEverything(PlDbSrvMemCursor& cursor, std::int32_t n, std::int32_t origin)
{
    PlRow row;
    cursor.Move(n, origin);
    cursor.GetRow(row);
    cursor.GetTid();
    cursor.IsBeforeFirst();
    std::size_t sum = 0;
    for (bool ok = cursor.Move(0, PlDbSrvAbstractCursor::kFromFirst); ok; ok = cursor.Move(1, 0)) {
        cursor.GetRow(row);
        for (std::uint16_t i = 0; i < row.FieldCount(); ++i)
            for (const char c : row.FieldText(i))
                sum += static_cast<unsigned char>(c);
    }
    if (sum == 1)  // keeps the reads from being optimised away
        cursor.GetTid();
}

// Reading: the structure check, every cursor and data-set read.
void Read(PlAbstractPageHeap& heap, const std::uint8_t* params)
{
    PlDbCheck(heap);
    PlDatabase db(heap);
    PlDbFilter all;
    NameFilter named;
    auto cursor = db.CreateCursor(all);
    auto namedCursor = db.CreateCursor(named);
    ReadEverything(*cursor, static_cast<std::int8_t>(params[0]), params[1] % 4);
    ReadEverything(*namedCursor, static_cast<std::int8_t>(params[2]), params[3] % 4);
    RowDataSet set(db, *cursor);
    set.First();
    set.Next();
    set.Prev();
    const std::int32_t count = set.RecordCount();
    for (std::int32_t i : {-1, 0, count / 2, count - 1, count, count + 5})
        for (const char* name : {"0", "1", "3", "4", "9", ""})
            set.GetValue(i, name);
}

// Changing: a deletion through a data set and two inserts while the window
// moves, then every cursor against a full scan, and the structure check.
void Change(PlAbstractPageHeap& heap, const std::uint8_t* params)
{
    PlDatabase db(heap);
    PlDbFilter all;
    NameFilter named;
    WindowFilter window;
    window.threshold = params[7] % 64;
    auto cursor = db.CreateCursor(all);
    auto namedCursor = db.CreateCursor(named);
    auto windowCursor = db.CreateCursor(window);
    RowDataSet set(db, *cursor);
    set.Delete(static_cast<std::int32_t>(params[4]) % (set.RecordCount() + 2) - 1);

    PlRow row;
    const std::uint32_t rowSize = 2 + static_cast<std::uint32_t>(params[5] | (params[6] << 8)) % 4100;
    row.SetField(0, std::string(rowSize > 8 ? rowSize - 8 : 0, static_cast<char>('A' + params[6] % 8)));
    try {
        db.Insert(row);
        window.threshold += params[5] % 3;  // the window moves, as a clock does
        db.Insert(row);
    } catch (const PlDatabaseErr&) {
    }
    ReadEverything(*namedCursor, params[2], 2);
    CheckAgainstFullScan(db, *namedCursor, named);
    CheckAgainstFullScan(db, *windowCursor, window);
    CheckAgainstFullScan(db, *cursor, all);
    PlDbCheck(heap);
}

}  // namespace

// The first parameter byte's lowest bit chooses reading or changing, so that
// one execution does one of them (and runs the faster for it).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 8 || size > 64 * 4096 + 8)
        return 0;
    std::uint8_t params[8];
    std::memcpy(params, data, 8);
    PlMemHeap heap(std::vector<std::uint8_t>(data + 8, data + size));
    if (params[0] & 1)
        Change(heap, params);
    else
        Read(heap, params);
    return 0;
}
