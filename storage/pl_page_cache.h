#pragma once
// PlPageCache: a write-through image of the database file, put by the
// database between its allocator and its heap. Every WriteBlock goes to the
// heap at once; reads are served from memory, since the heap's owner is the
// file's only writer. Each block is kept as an immutable PlPageImage: a
// writer replaces the image, never changes it, so a cursor snapshot that
// holds an image stays valid whatever the database does afterwards.
// Not thread-safe: the database's lock serialises every call.

#include <cstdint>
#include <memory>
#include <vector>

#include "storage/pl_abstract_page_heap.h"
#include "storage/pl_data_page.h"

// One block as last written or read, with its data-page check done once.
struct PlPageImage {
    explicit PlPageImage(PlPage p) : page(std::move(p)) {}
    PlPage page;
    pl::data_page::State dataState = pl::data_page::State::kDamaged;
};

class PlPageCache : public PlAbstractPageHeap {
public:
    explicit PlPageCache(PlAbstractPageHeap& heap) : heap_(heap) {}

    bool SetSize(std::uint32_t blockCount) override;
    std::uint32_t GetBlockCount() override;
    bool ReadBlock(std::uint32_t idx, PlPage& page) override;
    bool WriteBlock(std::uint32_t idx, const PlPage& page) override;

    // The image of block idx. Throws what ReadBlock throws.
    std::shared_ptr<const PlPageImage> Image(std::uint32_t idx);
    // Forgets every image (the heap was reopened).
    void Clear();

private:
    static std::shared_ptr<const PlPageImage> MakeImage(const std::uint8_t* bytes, std::uint32_t idx);
    void LoadAll();

    PlAbstractPageHeap& heap_;
    std::vector<std::shared_ptr<const PlPageImage>> images_;
    std::uint32_t blockCount_ = 0;  // the heap's, kept here: only SetSize changes it
    bool loaded_ = false;
};
