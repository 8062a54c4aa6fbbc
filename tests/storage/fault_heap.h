#pragma once
// FaultHeap: a block store in memory that fails on demand. It can stop
// after a given number of changes (SetSize or WriteBlock), as a process that
// dies at that point would, and it can fail the reads of one block.

#include <cstdint>
#include <optional>

#include "storage/pl_mem_heap.h"
#include "storage/pl_storage_errors.h"

struct FaultInjected : PlDatabaseErr {
    FaultInjected() : PlDatabaseErr("fault injected") {}
};

class FaultHeap : public PlAbstractPageHeap {
public:
    explicit FaultHeap(PlMemHeap& inner) : inner_(inner) {}

    // The next `changes` changes succeed; every later one throws and changes nothing.
    void CrashAfter(int changes) { budget_ = changes; }
    void FailReadsOf(std::uint32_t block) { badBlock_ = block; }

    bool SetSize(std::uint32_t blockCount) override
    {
        Spend();
        return inner_.SetSize(blockCount);
    }
    std::uint32_t GetBlockCount() override { return inner_.GetBlockCount(); }
    bool ReadBlock(std::uint32_t idx, PlPage& page) override
    {
        if (badBlock_ && *badBlock_ == idx)
            throw PlFileDatabaseError();
        return inner_.ReadBlock(idx, page);
    }
    bool WriteBlock(std::uint32_t idx, const PlPage& page) override
    {
        Spend();
        return inner_.WriteBlock(idx, page);
    }

private:
    void Spend()
    {
        if (budget_ && (*budget_)-- <= 0)
            throw FaultInjected();
    }

    PlMemHeap& inner_;
    std::optional<int> budget_;
    std::optional<std::uint32_t> badBlock_;
};
