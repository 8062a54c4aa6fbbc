#pragma once
// PlPageCache: what the database reads and writes its file through. Every
// WriteBlock goes to the heap at once; a bounded number of recently used
// blocks stays in memory (the header, the last space-map and data pages that
// every Insert touches), and scans read ahead in runs of blocks that are not
// kept. What it holds does not grow with the file. Reading from memory is
// valid because the database holds the file's writer lock.
//
// It also numbers the changes (Stamp) and remembers which blocks the last
// few thousand changes touched, so that a cursor re-reads only what changed
// since its last scan.
//
// Not thread-safe: the database's lock serialises every call. A block view
// returned by Get or GetForScan is valid until the next call on the cache.
// Blocks are handed out as read: checking them is the reader's business.

#include <cstdint>
#include <deque>
#include <optional>
#include <unordered_map>
#include <vector>

#include "storage/pl_abstract_page_heap.h"

class PlPageCache : public PlAbstractPageHeap {
public:
    static constexpr std::uint32_t kKeptBlocks = 64;       // 256 KiB
    static constexpr std::uint32_t kRunBlocks = 64;        // 256 KiB read at once by scans
    static constexpr std::uint32_t kLoggedChanges = 4096;  // blocks whose change is remembered

    explicit PlPageCache(PlAbstractPageHeap& heap) : heap_(heap) {}

    bool SetSize(std::uint32_t blockCount) override;
    std::uint32_t GetBlockCount() override;
    bool ReadBlock(std::uint32_t idx, PlPage& page) override;
    bool WriteBlock(std::uint32_t idx, const PlPage& page) override;

    // Block idx, kept for later use. Throws what the heap's ReadBlock throws.
    const PlPage& Get(std::uint32_t idx);
    // Block idx for a scan that walks the file towards block 0: a kept block
    // when there is one, else from a run of blocks read at once that ends
    // three blocks above idx (the data pages of a space-map page at idx).
    // Run blocks are not kept.
    const PlPage& GetForScan(std::uint32_t idx);

    // Counts the changes: every block written or added.
    std::uint64_t Stamp() const { return stamp_; }
    // The distinct blocks changed after `stamp` (a value of Stamp()), in
    // ascending order. False when the cache no longer knows them: too many
    // changes since, a shrinking SetSize, or Clear.
    bool ChangedSince(std::uint64_t stamp, std::vector<std::uint32_t>& blocks) const;
    // Forgets every block (the heap was reopened) and every change.
    void Clear();

private:
    struct Frame {
        PlPage page;
        std::uint64_t lastUse = 0;
    };

    void Changed(std::uint32_t idx);
    void ForgetChanges();
    void DropBlock(std::uint32_t idx);
    Frame& FreeFrame(std::uint32_t idx);
    void ReadRun(std::uint32_t idx);

    PlAbstractPageHeap& heap_;
    std::optional<std::uint32_t> blockCount_;  // the heap's, kept here: only SetSize changes it

    std::vector<Frame> frames_;
    std::unordered_map<std::uint32_t, std::uint32_t> frameOf_;  // block -> index in frames_
    std::uint64_t uses_ = 0;

    std::vector<PlPage> run_;  // blocks [runFirst_, runFirst_ + runCount_)
    std::uint32_t runFirst_ = 0;
    std::uint32_t runCount_ = 0;

    std::uint64_t stamp_ = 0;
    std::uint64_t knownSince_ = 0;   // changes up to this stamp are not remembered
    std::deque<std::uint32_t> log_;  // the blocks of the last changes, the newest last
};
