// The database's bounded page cache: what it reads is what was last written,
// whether it comes from a kept block, a scan's run or the heap; it keeps no
// more than its bound, and it knows which blocks changed since a stamp.

#include <gtest/gtest.h>

#include "storage/pl_mem_heap.h"
#include "storage/pl_page_cache.h"
#include "storage/pl_storage_errors.h"

namespace {

PlPage Marked(std::uint32_t mark)
{
    PlPage page;
    page.bytes.PutU32(100, mark);
    return page;
}

}  // namespace

TEST(PageCache, ReadsWhatWasLastWrittenFromEverySource)
{
    PlMemHeap heap;
    PlPageCache cache(heap);
    const std::uint32_t blocks = 3 * PlPageCache::kKeptBlocks;
    cache.SetSize(blocks);
    for (std::uint32_t b = 0; b < blocks; ++b)
        cache.WriteBlock(b, Marked(b));
    // Most blocks were pushed out of the kept set and come from the heap again.
    for (std::uint32_t b = 0; b < blocks; ++b)
        ASSERT_EQ(cache.Get(b).bytes.GetU32(100), b);
    // A scan's run, then a write into it: the run must not hide the write
    // once the written block is no longer kept.
    const auto keepOthers = [&cache](std::uint32_t first) {
        for (std::uint32_t b = first; b < first + PlPageCache::kKeptBlocks; ++b)
            cache.Get(b);
    };
    keepOthers(0);
    ASSERT_EQ(cache.GetForScan(blocks - 10).bytes.GetU32(100), blocks - 10);
    cache.WriteBlock(blocks - 20, Marked(7777));
    keepOthers(PlPageCache::kKeptBlocks);
    EXPECT_EQ(cache.GetForScan(blocks - 20).bytes.GetU32(100), 7777u);
    EXPECT_EQ(cache.GetForScan(blocks - 21).bytes.GetU32(100), blocks - 21);
    EXPECT_THROW(cache.GetForScan(blocks), PlFileDatabaseError);
    EXPECT_EQ(heap.Image()[static_cast<std::size_t>(blocks - 20) * 4096 + 100], 7777 % 256);
}

TEST(PageCache, KnowsWhichBlocksChangedUntilItForgets)
{
    PlMemHeap heap;
    PlPageCache cache(heap);
    cache.SetSize(4);
    const std::uint64_t start = cache.Stamp();
    std::vector<std::uint32_t> changed;
    ASSERT_TRUE(cache.ChangedSince(start, changed));
    EXPECT_TRUE(changed.empty());
    cache.WriteBlock(3, Marked(1));
    cache.WriteBlock(1, Marked(2));
    cache.WriteBlock(3, Marked(3));
    cache.SetSize(6);  // blocks 4 and 5 are new
    ASSERT_TRUE(cache.ChangedSince(start, changed));
    EXPECT_EQ(changed, (std::vector<std::uint32_t>{1, 3, 4, 5}));

    const std::uint64_t later = cache.Stamp();
    std::uint32_t lastOfBlock1 = 0;
    for (std::uint32_t i = 0; i <= PlPageCache::kLoggedChanges; ++i) {
        cache.WriteBlock(i % 6, Marked(i));
        lastOfBlock1 = i % 6 == 1 ? i : lastOfBlock1;
    }
    EXPECT_FALSE(cache.ChangedSince(later, changed));  // too many changes since
    const std::uint64_t before = cache.Stamp();
    cache.SetSize(2);
    EXPECT_FALSE(cache.ChangedSince(before, changed));  // a shrink forgets
    EXPECT_THROW(cache.Get(3), PlFileDatabaseError);
    const std::uint64_t cleared = cache.Stamp();
    cache.Clear();
    EXPECT_FALSE(cache.ChangedSince(cleared, changed));
    EXPECT_EQ(cache.Get(1).bytes.GetU32(100), lastOfBlock1);
}
