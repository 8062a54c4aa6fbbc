// The block file on a real file: block counting, bounds, the writer's lock,
// short reads and the failure messages.

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <gtest/gtest.h>

#include "storage/pl_file_heap.h"
#include "storage/pl_storage_errors.h"
#include "test_support.h"

namespace {
void WriteBytes(const std::string& path, std::size_t n)
{
    std::ofstream(path, std::ios::binary) << std::string(n, 'x');
}
}  // namespace

TEST(FileHeap, CountsWholeBlocksAndWritesOnlyExistingOnes)
{
    ScratchDir dir;
    PlFileHeap heap;
    EXPECT_FALSE(heap.Open(dir.File("missing"), false));
    ASSERT_TRUE(heap.Open(dir.File("new"), true));
    EXPECT_TRUE(heap.IsEmpty());
    PlPage page;
    EXPECT_THROW(heap.ReadBlock(0, page), PlFileDatabaseError);
    EXPECT_THROW(heap.WriteBlock(0, page), PlFileDatabaseError);
    heap.SetSize(1);
    page.bytes.PutU32(100, 0xDEADBEEF);
    EXPECT_TRUE(heap.WriteBlock(0, page));
    PlPage back;
    back.pageNo = 77;
    heap.ReadBlock(0, back);
    EXPECT_EQ(back.pageNo, 0u);
    EXPECT_EQ(back.bytes, page.bytes);
    heap.Close();

    WriteBytes(dir.File("odd"), 10000);
    PlFileHeap odd;
    ASSERT_TRUE(odd.Open(dir.File("odd"), false));
    EXPECT_EQ(odd.GetBlockCount(), 2u);
    odd.SetSize(3);
    odd.Close();
    EXPECT_EQ(std::filesystem::file_size(dir.File("odd")), 3u * 4096u);
}

TEST(FileHeap, KeepsOtherWritersOutButLetsReadersIn)
{
    ScratchDir dir;
    PlFileHeap writer;
    ASSERT_TRUE(writer.Open(dir.File("db"), true));
    writer.SetSize(1);
    PlFileHeap second;
    EXPECT_FALSE(second.Open(dir.File("db"), true));
    PlFileHeap reader;
    ASSERT_TRUE(reader.OpenReadOnly(dir.File("db")));
    PlPage page;
    EXPECT_TRUE(reader.ReadBlock(0, page));
    EXPECT_THROW(reader.WriteBlock(0, page), PlDatabaseErr);
    EXPECT_THROW(reader.SetSize(2), PlDatabaseErr);
    EXPECT_TRUE(writer.Open(dir.File("db"), true));  // reopening drops its own lock first
    writer.Close();
    EXPECT_TRUE(second.Open(dir.File("db"), true));
}

TEST(FileHeap, ShortReadsAndImpossibleSizesAreErrors)
{
    ScratchDir dir;
    PlFileHeap heap;
    ASSERT_TRUE(heap.Open(dir.File("db"), true));
    heap.SetSize(2);
    ASSERT_EQ(::truncate(dir.File("db").c_str(), 4096 + 100), 0);  // cut behind the heap's back
    PlPage page;
    EXPECT_THROW(heap.ReadBlock(1, page), PlFileDatabaseError);
    try {
        heap.SetSize(1u << 20 | 1u);
        FAIL() << "a file past 4 GiB was accepted";
    } catch (const PlFileDatabaseError&) {
        FAIL() << "wrong error class";
    } catch (const PlDatabaseErr& e) {
        EXPECT_EQ(e.Message(), "PlFileHeap::SetSize()\nCondition: newPosL ==0xFFFFFFFF\nVariables:\n"
                               "GetLastError()==27\nblockCount==1048577\n");
    }
    EXPECT_EQ(heap.GetBlockCount(), 2u);
}
