// Damaged and foreign files, failing reads, and operations cut off after
// any write: nothing reads or writes outside a page or a row, every scan
// ends, and no stored row is lost to an interrupted change.

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "fault_heap.h"
#include "storage/page_format.h"
#include "storage/pl_database.h"
#include "test_filters.h"
#include "test_support.h"

namespace {

std::vector<std::uint8_t> SampleFile()
{
    PlMemHeap heap;
    PlDatabase db(heap);
    for (int i = 0; i < 40; ++i)
        db.Insert(ArchiveRow(1000 + i, "ALICE", "BOB", std::string(200 + 10 * i, 'm'), i % 2 ? '1' : '2'));
    db.Delete(2, 1);
    return heap.Image();
}

// Scans, reads every row, inserts and deletes; errors of the PlDatabaseErr
// family are allowed, anything else (or a sanitizer report) is a failure.
void Exercise(std::vector<std::uint8_t> image)
{
    PlMemHeap heap(std::move(image));
    PlDatabase db(heap);
    PlDbFilter all;
    NameFilter bob("bob");
    auto cursor = db.CreateCursor(all);
    auto named = db.CreateCursor(bob);
    const std::vector<ReferenceEntry> rows = ReadAll(*cursor);
    ASSERT_LE(rows.size(), 2000u);
    for (const ReferenceEntry& entry : rows)
        ASSERT_TRUE(entry.row.IsWellFormed());
    try {
        db.Insert(ArchiveRow(5, "X", "BOB", "new", '1'));
    } catch (const PlDatabaseErr&) {
    }
    for (const ReferenceEntry& entry : rows) {
        try {
            db.Delete(entry.pageno, entry.slot);
        } catch (const PlDatabaseErr&) {
        }
        if (&entry - rows.data() > 3)
            break;
    }
    ReadAll(*named);
}

std::set<std::string> Texts(PlAbstractPageHeap& heap)
{
    PlDbFilter all;
    std::set<std::string> texts;
    for (const ReferenceEntry& e : ReferenceScan(heap, all))
        texts.insert(std::string(e.row.FieldText(3)));
    return texts;
}

}  // namespace

TEST(Damage, EveryStructuralByteMayBeWrong)
{
    const std::vector<std::uint8_t> good = SampleFile();
    const std::uint32_t blocks = static_cast<std::uint32_t>(good.size() / 4096);
    std::vector<std::uint32_t> positions;
    for (std::uint32_t p = 0; p < 52; ++p)
        positions.push_back(p);
    for (std::uint32_t p = 4000; p < 4096; ++p)
        positions.push_back(p);
    for (std::uint32_t p : {32u, 33u, 34u, 35u, 36u, 40u, 44u})
        positions.push_back(p + 200);
    for (std::uint32_t block = 0; block < blocks; ++block) {
        for (std::uint32_t p : positions) {
            for (std::uint8_t value : {0x00, 0xFF, 0x01, 0x7F}) {
                std::vector<std::uint8_t> bad = good;
                bad[block * 4096 + p] = value;
                Exercise(std::move(bad));
                if (HasFatalFailure())
                    return;
            }
        }
    }
}

TEST(Damage, CyclicAndForeignChainsEndTheScan)
{
    std::vector<std::uint8_t> image = SampleFile();
    PlMemHeap probe(image);
    ASSERT_GE(probe.GetBlockCount(), 7u);
    // Block 5 (second map page) names itself as previous and next.
    for (std::uint32_t pos : {5u * 4096 + 32, 5u * 4096 + 36})
        image[pos] = 5;
    // The header's last map points back at the first, the first forward past the end.
    image[46] = 1;
    image[1 * 4096 + 32] = 0xFF;
    Exercise(image);

    std::vector<std::uint8_t> foreign(7 * 4096 + 100);
    std::mt19937 rng(7);
    for (auto& b : foreign)
        b = static_cast<std::uint8_t>(rng());
    Exercise(foreign);
    foreign.assign(3 * 4096, 0);
    Exercise(foreign);
}

TEST(Damage, AFailingReadEndsTheScanWithTheRowsTakenSoFar)
{
    PlMemHeap inner(SampleFile());
    FaultHeap heap(inner);
    heap.FailReadsOf(3);
    PlDatabase db(heap);
    PlDbFilter all;
    auto cursor = db.CreateCursor(all);
    EXPECT_GT(cursor->Count(), 0);
    // Stops before page 3: pages 8 … 4 were taken, 3 and earlier were not.
    for (const ReferenceEntry& e : ReadAll(*cursor))
        EXPECT_GT(e.pageno, 3u);
}

TEST(Damage, AnInterruptedChangeNeverLosesAStoredRow)
{
    // Cut every insert and delete of a growing file after each of its writes.
    for (int cut = 0; cut < 400; ++cut) {
        PlMemHeap inner;
        FaultHeap heap(inner);
        PlDatabase db(heap);
        std::set<std::string> stored;
        heap.CrashAfter(cut);
        try {
            for (int i = 0;; ++i) {
                const std::string text = std::to_string(i) + std::string(static_cast<std::size_t>(i * 37 % 900), 'p');
                if (i % 5 == 4) {
                    PlDbFilter all;
                    const std::vector<ReferenceEntry> rows = ReferenceScan(inner, all);
                    const ReferenceEntry& victim = rows[static_cast<std::size_t>(i) % rows.size()];
                    stored.erase(std::string(victim.row.FieldText(3)));  // may survive if cut
                    db.Delete(victim.pageno, victim.slot);
                } else {
                    db.Insert(ArchiveRow(static_cast<std::uint64_t>(i), "A", "B", text, '1'));
                    stored.insert(text);
                }
            }
        } catch (const FaultInjected&) {
        }
        // Reopen what the "dead" process left, check it, and go on writing.
        PlMemHeap after(inner.Image());
        const std::set<std::string> seen = Texts(after);
        for (const std::string& text : stored)
            ASSERT_TRUE(seen.count(text)) << "cut " << cut << " lost a row";
        ASSERT_LE(seen.size(), stored.size() + 1) << "cut " << cut;
        PlDatabase reopened(after);
        for (int i = 0; i < 30; ++i)
            reopened.Insert(ArchiveRow(1, "A", "B", "after" + std::to_string(i), '1'));
        const std::set<std::string> later = Texts(after);
        for (const std::string& text : stored)
            ASSERT_TRUE(later.count(text)) << "cut " << cut << " lost a row after reopening";
        ASSERT_TRUE(later.count("after29"));
    }
}
