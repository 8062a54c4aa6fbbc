#pragma once
// PlFileHeap: the block store on a POSIX file. Block n occupies bytes
// [n * 4096, n * 4096 + 4096); a trailing partial block is not counted.
// A heap opened for writing holds an exclusive lock on the file, so a second
// opener asking for write access fails while readers may still open it.
// Every operation holds the heap's lock, so SetSize, ReadBlock, WriteBlock,
// Open and Close may run on any threads at once: Close waits for a transfer in
// progress, and a transfer after Close throws PlFileDatabaseError instead of
// touching a closed (or already reused) descriptor.

#include <sys/types.h>
#include <cstdint>
#include <mutex>
#include <string>

#include "storage/pl_abstract_page_heap.h"

class PlFileHeap : public PlAbstractPageHeap {
public:
    PlFileHeap() = default;
    PlFileHeap(const PlFileHeap&) = delete;
    PlFileHeap& operator=(const PlFileHeap&) = delete;
    ~PlFileHeap() override;

    bool SetSize(std::uint32_t blockCount) override;
    std::uint32_t GetBlockCount() override;
    bool ReadBlock(std::uint32_t idx, PlPage& page) override;
    bool WriteBlock(std::uint32_t idx, const PlPage& page) override;
    // One scattered read per 64 blocks rather than one read per block.
    void ReadPages(std::uint32_t first, std::uint32_t count, PlPage* pages) override;

    // Opens path for reading and writing (created when missing and create is
    // true). False when the file cannot be opened or another writer holds it.
    // A file already open is closed first.
    bool Open(const std::string& path, bool create);
    // Opens path for reading only, beside a writer; SetSize and WriteBlock then
    // throw PlDatabaseErr.
    bool OpenReadOnly(const std::string& path);
    void Close();

    const std::string& Path() const { return path_; }

private:
    // Reads n bytes at offset; a short read is a PlFileDatabaseError.
    void ReadExact(std::uint8_t* out, std::size_t n, off_t offset, std::uint32_t idx);
    bool OpenWith(const std::string& path, int flags, bool lock);
    // REQUIRES: lock_ is held.
    void CloseLocked();
    [[noreturn]] void ThrowWriteError(std::uint32_t idx, int error) const;

    std::uint32_t blockCount_ = 0;
    int fd_ = -1;
    bool readOnly_ = false;
    std::string path_;
    std::mutex lock_;
};
