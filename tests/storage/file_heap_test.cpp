// The block file on a real file: block counting, bounds, the writer's lock,
// short reads and the failure messages.

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <fstream>

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
        EXPECT_EQ(e.Message(),
                  "PlFileHeap::SetSize()\nCondition: newPosL ==0xFFFFFFFF\nVariables:\n"
                  "GetLastError()==27\nblockCount==1048577\n");
    }
    EXPECT_EQ(heap.GetBlockCount(), 2u);
}

TEST(FileHeap, FailuresOfTheFileSystemCarryTheirMessages)
{
    ScratchDir dir;
    PlFileHeap heap;
    ASSERT_TRUE(heap.Open(dir.File("db"), true));
    heap.SetSize(1);
    // A file size limit makes growing and writing past it fail with EFBIG.
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string grow;
    std::string write;
    try {
        heap.SetSize(3);
    } catch (const PlDatabaseErr& e) {
        grow = e.Message();
    }
    PlFileHeap big;
    ASSERT_TRUE(big.Open(dir.File("big"), true));
    ::setrlimit(RLIMIT_FSIZE, &old);
    big.SetSize(2);
    ::setrlimit(RLIMIT_FSIZE, &small);
    try {
        big.WriteBlock(1, PlPage());
    } catch (const PlDatabaseErr& e) {
        write = e.Message();
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(grow,
              "PlFileHeap::SetSize()\nCondition: SetEndOfFile() == 0\nVariables:\nGetLastError()==27\n"
              "blockCount==3\n");
    EXPECT_EQ(write, "PlFileHeap::WriteBlock()\nCondition: WriteFile() == 0\nVariables:\nGetLastError()==27\nidx==1\n");
    EXPECT_EQ(heap.GetBlockCount(), 1u);

    // Reading a folder fails with EISDIR, where the folder has a size at all.
    PlFileHeap folder;
    ASSERT_TRUE(folder.OpenReadOnly(dir.File("")));
    if (folder.GetBlockCount() > 0) {
        PlPage page;
        try {
            folder.ReadBlock(0, page);
            ADD_FAILURE() << "a folder was read as a block";
        } catch (const PlDatabaseErr& e) {
            EXPECT_EQ(e.Message(),
                      "PlFileHeap::ReadBlock()\nCondition: ReadFile() == 0\nVariables:\n"
                      "GetLastError()==21\nidx==0\n");
        }
    }
}
