#include "storage/pl_file_heap.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>
#include <cerrno>

#include "storage/pl_storage_errors.h"

using namespace pl::page;

PlFileHeap::~PlFileHeap()
{
    Close();
}

bool PlFileHeap::Open(const std::string& path, bool create)
{
    return OpenWith(path, O_RDWR | (create ? O_CREAT : 0), true);
}

bool PlFileHeap::OpenReadOnly(const std::string& path)
{
    return OpenWith(path, O_RDONLY, false);
}

bool PlFileHeap::OpenWith(const std::string& path, int flags, bool lock)
{
    std::lock_guard guard(lock_);
    CloseLocked();  // a second Open must not leak the first file and its lock
    path_ = path;
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    struct stat st {};
    if ((lock && ::flock(fd, LOCK_EX | LOCK_NB) != 0) || ::fstat(fd, &st) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    readOnly_ = !lock;
    const std::uint64_t blocks = static_cast<std::uint64_t>(st.st_size) / kPageSize;
    blockCount_ = static_cast<std::uint32_t>(blocks < kMaxBlocks ? blocks : kMaxBlocks);
    return true;
}

void PlFileHeap::Close()
{
    std::lock_guard guard(lock_);
    CloseLocked();
}

void PlFileHeap::CloseLocked()
{
    if (fd_ >= 0)
        ::close(fd_);  // also releases the writer's lock
    fd_ = -1;
}

std::uint32_t PlFileHeap::GetBlockCount()
{
    std::lock_guard guard(lock_);
    return blockCount_;
}

bool PlFileHeap::SetSize(std::uint32_t blockCount)
{
    std::lock_guard guard(lock_);
    if (fd_ < 0)
        throw PlFileDatabaseError();
    if (blockCount > kMaxBlocks || readOnly_)
        throw PlDatabaseErr(
            PlFormatDiagnostic("PlFileHeap::SetSize()", "newPosL ==0xFFFFFFFF",
                               {{"GetLastError()", readOnly_ ? EBADF : EFBIG}, {"blockCount", blockCount}}));
    if (::ftruncate(fd_, static_cast<off_t>(blockCount) << kPageShift) != 0)
        throw PlDatabaseErr(PlFormatDiagnostic("PlFileHeap::SetSize()", "SetEndOfFile() == 0",
                                               {{"GetLastError()", errno}, {"blockCount", blockCount}}));
    blockCount_ = blockCount;
    return true;
}

bool PlFileHeap::ReadBlock(std::uint32_t idx, PlPage& page)
{
    std::lock_guard guard(lock_);
    if (idx >= blockCount_ || fd_ < 0)
        throw PlFileDatabaseError();
    page.pageNo = idx;
    ReadExact(page.bytes.Data(), kPageSize, static_cast<off_t>(idx) << kPageShift, idx);
    return true;
}

void PlFileHeap::ReadPages(std::uint32_t first, std::uint32_t count, PlPage* pages)
{
    constexpr std::uint32_t kChunkBlocks = 64;
    std::lock_guard guard(lock_);
    if (fd_ < 0 || first > blockCount_ || count > blockCount_ - first)
        throw PlFileDatabaseError();
    for (std::uint32_t done = 0; done < count; done += kChunkBlocks) {
        const std::uint32_t n = count - done < kChunkBlocks ? count - done : kChunkBlocks;
        iovec parts[kChunkBlocks];
        for (std::uint32_t i = 0; i < n; ++i) {
            pages[done + i].pageNo = first + done + i;
            parts[i] = {pages[done + i].bytes.Data(), kPageSize};
        }
        const off_t offset = static_cast<off_t>(first + done) << kPageShift;
        const ssize_t got = ::preadv(fd_, parts, static_cast<int>(n), offset);
        if (got == static_cast<ssize_t>(n) * static_cast<ssize_t>(kPageSize))
            continue;
        // Interrupted, short or failed: block by block, reporting what went wrong.
        for (std::uint32_t i = 0; i < n; ++i)
            ReadExact(pages[done + i].bytes.Data(), kPageSize,
                      offset + static_cast<off_t>(i) * static_cast<off_t>(kPageSize), first + done + i);
    }
}

void PlFileHeap::ReadExact(std::uint8_t* out, std::size_t n, off_t offset, std::uint32_t idx)
{
    std::size_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(fd_, out + done, n - done, offset + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw PlDatabaseErr(PlFormatDiagnostic("PlFileHeap::ReadBlock()", "ReadFile() == 0",
                                                   {{"GetLastError()", errno}, {"idx", idx}}));
        if (got == 0)
            throw PlFileDatabaseError();  // short read: the file is shorter than its block count
        done += static_cast<std::size_t>(got);
    }
}

bool PlFileHeap::WriteBlock(std::uint32_t idx, const PlPage& page)
{
    std::lock_guard guard(lock_);
    if (idx >= blockCount_ || fd_ < 0)
        throw PlFileDatabaseError();
    if (readOnly_)
        ThrowWriteError(idx, EBADF);
    std::uint32_t done = 0;
    while (done < kPageSize) {
        const ssize_t n =
            ::pwrite(fd_, page.bytes.At(done), kPageSize - done, (static_cast<off_t>(idx) << kPageShift) + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ThrowWriteError(idx, n < 0 ? errno : ENOSPC);
        done += static_cast<std::uint32_t>(n);
    }
    return true;
}

void PlFileHeap::ThrowWriteError(std::uint32_t idx, int error) const
{
    throw PlDatabaseErr(
        PlFormatDiagnostic("PlFileHeap::WriteBlock()", "WriteFile() == 0", {{"GetLastError()", error}, {"idx", idx}}));
}
