// The structure check: a sound file passes, and each kind of damage is
// reported against the page that holds it.

#include <gtest/gtest.h>

#include "storage/pl_database.h"
#include "storage/pl_db_check.h"
#include "storage/pl_mem_heap.h"
#include "test_support.h"

namespace {

std::vector<std::uint8_t> Sample()
{
    PlMemHeap heap;
    PlDatabase db(heap);
    for (int i = 0; i < 30; ++i)
        db.Insert(ArchiveRow(static_cast<std::uint64_t>(i), "A", "B", std::string(400, 'x'), '1'));
    return heap.Image();
}

PlDbCheckReport CheckWith(std::uint32_t block, std::uint32_t pos, std::uint8_t value)
{
    std::vector<std::uint8_t> image = Sample();
    image[block * 4096 + pos] = value;
    PlMemHeap heap(std::move(image));
    return PlDbCheck(heap);
}

// Adds delta to a 32-bit field of the sample.
PlDbCheckReport CheckWithAdded(std::uint32_t block, std::uint32_t pos, std::uint32_t delta)
{
    PlMemHeap heap(Sample());
    PlPage page;
    heap.ReadBlock(block, page);
    page.bytes.PutU32(pos, page.bytes.GetU32(pos) + delta);
    heap.WriteBlock(block, page);
    return PlDbCheck(heap);
}

bool Names(const PlDbCheckReport& report, std::uint32_t block, const std::string& words)
{
    for (const PlDbFinding& f : report.findings)
        if (f.damage && f.block == block && f.text.find(words) != std::string::npos)
            return true;
    return false;
}

}  // namespace

TEST(Check, ASoundFilePassesWithItsCounts)
{
    PlMemHeap heap(Sample());
    const PlDbCheckReport report = PlDbCheck(heap);
    EXPECT_FALSE(report.Damaged());
    EXPECT_TRUE(report.findings.empty());
    EXPECT_EQ(report.rows, 30u);
    EXPECT_EQ(report.dataPages, 4u);
    PlMemHeap empty;
    EXPECT_FALSE(PlDbCheck(empty).Damaged());
    PlMemHeap grownOnly;  // a writer killed between growing the file and writing the header
    grownOnly.SetSize(1);
    EXPECT_FALSE(PlDbCheck(grownOnly).Damaged());
    grownOnly.SetSize(2);
    EXPECT_TRUE(PlDbCheck(grownOnly).Damaged());
}

TEST(Check, NamesEachDamagedPage)
{
    EXPECT_TRUE(Names(CheckWith(0, 33, 'X'), 0, "not a header page"));
    EXPECT_TRUE(Names(CheckWith(1, 0, 3), 1, "not a space-map page"));
    EXPECT_TRUE(Names(CheckWith(5, 36, 0), 5, "previous-map pointer"));
    EXPECT_TRUE(Names(CheckWith(0, 46, 2), 0, "last-map pointer"));
    EXPECT_TRUE(Names(CheckWith(3, 4092, 20), 3, "slot count"));
    EXPECT_TRUE(Names(CheckWithAdded(3, 4088, 5), 3, "not packed"));
    EXPECT_TRUE(Names(CheckWith(3, 4077, 200), 3, "outside the row area"));
    EXPECT_TRUE(Names(CheckWith(2, 32, 200), 2, "row directory of slot 0"));
    EXPECT_TRUE(Names(CheckWith(4, 0, 1), 4, "not a data page"));
    EXPECT_TRUE(Names(CheckWith(1, 40, 0xC0 | 10), 2, "says empty"));
    EXPECT_TRUE(Names(CheckWith(1, 32, 9), 1, "chain points to block 9"));
}
