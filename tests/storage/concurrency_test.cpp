// A data-set reader on one thread while another thread inserts and deletes:
// every row read is whole and was really stored.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

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
