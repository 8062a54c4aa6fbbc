// A data-set reader on one thread while another thread inserts and deletes:
// every row read is whole and was really stored. Closing while other threads
// insert or read: nothing touches a closed file, and every change either
// happened completely or was refused.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "storage/pl_file_heap.h"

#include "storage/pl_database.h"
#include "storage/pl_mem_heap.h"
#include "storage/pl_storage_errors.h"
#include "test_filters.h"
#include "test_support.h"

TEST(Concurrency, ReadersSeeWholeRowsWhileAnotherThreadChangesTheFile)
{
    PlMemHeap heap;
    PlDatabase db(heap);
    PlDbFilter all;
    NameFilter bob("BOB");
    auto cursor = db.CreateCursor(all);
    auto named = db.CreateCursor(bob);
    std::atomic<bool> done{false};

    std::thread writer([&] {
        for (int i = 0; i < 3000; ++i) {
            const std::string text(static_cast<std::size_t>(i % 300), static_cast<char>('a' + i % 26));
            db.Insert(ArchiveRow(static_cast<std::uint64_t>(i), i % 3 ? "BOB" : "EVE", "X", text, '1'));
            if (i % 7 == 6 && cursor->Move(-(i % 5), PlDbSrvAbstractCursor::kFromFirst)) {
                const tid victim = cursor->GetTid();
                try {
                    db.Delete(victim.pageno, victim.slot);
                } catch (const PlDatabaseErr&) {
                    // the reader moved the cursor in between: another tid, maybe none
                }
            }
        }
        done = true;
    });

    long rowsRead = 0;
    while (!done) {
        for (PlDbSrvMemCursor* c : {cursor.get(), named.get()}) {
            const std::int32_t count = c->Count();
            for (std::int32_t i = 0; i < count; i += 1 + count / 50) {
                PlRow row;
                if (!c->Move(-i, PlDbSrvAbstractCursor::kFromFirst) || !c->GetRow(row))
                    continue;  // the snapshot shrank meanwhile
                ASSERT_TRUE(row.IsWellFormed());
                ASSERT_EQ(row.FieldCount(), 5);
                const std::string_view text = row.FieldText(3);
                ASSERT_EQ(text, std::string(text.size(), text.empty() ? 'a' : text[0]));
                ++rowsRead;
            }
        }
    }
    writer.join();
    EXPECT_GT(rowsRead, 0);
    EXPECT_EQ(ReadAll(*cursor), ReferenceScan(heap, all));
}

TEST(Concurrency, CloseWaitsForInsertsAndRefusesLaterOnes)
{
    ScratchDir dir;
    PlDatabase db;
    db.SetPath(dir.File("archive.qdb"));
    ASSERT_TRUE(db.Open());
    NameFilter named("T0");
    auto cursor = db.CreateCursor(named);
    std::atomic<int> stored{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> writers;
    for (int t = 0; t < 8; ++t) {
        writers.emplace_back([&, t] {
            while (!go)
                std::this_thread::yield();
            for (int i = 0; i < 300; ++i) {
                try {
                    db.Insert(ArchiveRow(static_cast<std::uint64_t>(i), std::string("T").append(std::to_string(t)), "X",
                                         std::string(static_cast<std::size_t>(i % 200), 'c'), '1'));
                    ++stored;
                } catch (const PlDatabaseErr&) {
                    // refused after Close
                }
            }
        });
    }
    go = true;
    while (stored < 40)
        std::this_thread::yield();
    db.Close();
    EXPECT_FALSE(db.IsOpen());
    EXPECT_THROW(db.Insert(ArchiveRow(1, "late", "X", "refused", '1')), PlDatabaseErr);
    EXPECT_THROW(db.Delete(2, 0), PlDatabaseErr);
    cursor->Refresh();
    EXPECT_EQ(cursor->Count(), 0);
    for (std::thread& w : writers)
        w.join();

    // Exactly the inserts that returned are in the file.
    ASSERT_TRUE(db.Open());
    PlDbFilter all;
    EXPECT_EQ(db.CreateCursor(all)->Count(), stored.load());
}

TEST(Concurrency, AFileHeapClosedUnderItsReadersFailsThemCleanly)
{
    ScratchDir dir;
    PlFileHeap heap;
    ASSERT_TRUE(heap.Open(dir.File("blocks"), true));
    heap.SetSize(16);
    std::atomic<bool> go{false};
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t) {
        readers.emplace_back([&] {
            PlPage page;
            while (!go)
                std::this_thread::yield();
            for (std::uint32_t i = 0; i < 2000; ++i) {
                try {
                    heap.ReadBlock(i % 16, page);
                    heap.WriteBlock(i % 16, page);
                } catch (const PlFileDatabaseError&) {
                    // closed meanwhile
                }
            }
        });
    }
    go = true;
    std::this_thread::yield();
    heap.Close();
    for (std::thread& r : readers)
        r.join();
    PlPage page;
    EXPECT_THROW(heap.ReadBlock(0, page), PlFileDatabaseError);
    EXPECT_THROW(heap.WriteBlock(0, page), PlFileDatabaseError);
    EXPECT_THROW(heap.SetSize(1), PlFileDatabaseError);
}
