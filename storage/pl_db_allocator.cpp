#include "storage/pl_db_allocator.h"

#include <cstring>

#include "storage/pl_data_page.h"
#include "storage/pl_meta_pages.h"
#include "storage/pl_storage_errors.h"

using namespace pl::page;

namespace {

[[noreturn]] void Fail(const char* operation, const char* condition, std::initializer_list<PlDiagVariable> variables)
{
    throw PlDatabaseErr(PlFormatDiagnostic(operation, condition, variables));
}

}  // namespace

void PlDbAllocator::InitHeader()
{
    heap_.SetSize(1);
    PlPage header;
    pl::meta_page::InitHeaderPage(header);
    heap_.WriteBlock(0, header);
}

void PlDbAllocator::ReadHeader(PlPage& header)
{
    if (heap_.IsEmpty()) {
        InitHeader();
    } else if (heap_.GetBlockCount() == 1) {
        heap_.ReadBlock(0, header);
        if (pl::meta_page::IsBlank(header))  // grown, but the header never reached the file
            InitHeader();
    }
    heap_.ReadBlock(0, header);
    if (!pl::meta_page::IsHeaderPage(header))
        Fail("PlDbAllocator::ReadHeader()", "block 0 is not a header page",
             {{"type", pl::meta_page::PageType(header)}});
}

void PlDbAllocator::ReadMap(std::uint32_t block, PlPage& map, const char* operation)
{
    heap_.ReadBlock(block, map);
    if (!pl::meta_page::IsMapPage(map))
        Fail(operation, "not a space-map page", {{"block", block}, {"type", pl::meta_page::PageType(map)}});
}

std::pair<std::uint32_t, std::uint32_t> PlDbAllocator::AddDataPage()
{
    PlPage header;
    ReadHeader(header);
    PlPage map;
    std::uint32_t m = pl::meta_page::LastMap(header);
    if (m != 0) {
        ReadMap(m, map, "PlDbAllocator::AddDataPage()");
    } else {
        m = heap_.GetBlockCount();
        heap_.SetSize(m + 1);
        pl::meta_page::InitMapPage(map, 0);
        heap_.WriteBlock(m, map);
        pl::meta_page::SetFirstMap(header, m);
        pl::meta_page::SetLastMap(header, m);
        heap_.WriteBlock(0, header);
    }
    const std::uint32_t n = heap_.GetBlockCount();
    if (m + kEntriesPerMap < n) {
        heap_.SetSize(n + 1);
        PlPage next;
        pl::meta_page::InitMapPage(next, m);
        heap_.WriteBlock(n, next);
        pl::meta_page::SetNextMap(map, n);
        heap_.WriteBlock(m, map);
        pl::meta_page::SetLastMap(header, n);
        heap_.WriteBlock(0, header);
        m = n;
    }
    const std::uint32_t d = heap_.GetBlockCount();
    heap_.SetSize(d + 1);
    PlPage data;
    pl::data_page::InitDataPage(data, m);
    heap_.WriteBlock(d, data);
    return {m, d};
}

bool PlDbAllocator::FindFreeEntry(const PlPage& header, PlPage& map, std::uint32_t& page)
{
    const std::uint32_t count = heap_.GetBlockCount();
    std::uint32_t prev = 0;
    // Map pages lie in ascending block order; a chain that does not is damaged
    // and is not followed, so that the walk always ends.
    const std::uint32_t start =
        freeSearchStart_ != 0 && freeSearchStart_ < count ? freeSearchStart_ : pl::meta_page::FirstMap(header);
    bool allFullSoFar = true;
    for (std::uint32_t m = start; m != 0 && m < count && m > prev; prev = m, m = pl::meta_page::NextMap(map)) {
        heap_.ReadBlock(m, map);
        if (!pl::meta_page::IsMapPage(map))
            return false;
        const bool full = pl::meta_page::IsAllocated(pl::meta_page::Entry(map, 0)) &&
                          pl::meta_page::IsAllocated(pl::meta_page::Entry(map, 1)) &&
                          pl::meta_page::IsAllocated(pl::meta_page::Entry(map, 2));
        allFullSoFar = allFullSoFar && full;
        if (allFullSoFar && pl::meta_page::NextMap(map) > m)
            freeSearchStart_ = pl::meta_page::NextMap(map);
        for (std::uint32_t e = 0; e < kEntriesPerMap; ++e) {
            if (pl::meta_page::IsAllocated(pl::meta_page::Entry(map, e)))
                continue;
            page = m + 1 + e;
            if (page >= count)
                return false;
            // Left unallocated by an interrupted AddDataPage: a grown block
            // (zeros) or a fresh data page. Anything else is not reused.
            PlPage block;
            heap_.ReadBlock(page, block);
            const std::uint8_t type = pl::meta_page::PageType(block);
            const bool reusable = (type == 0 && pl::meta_page::IsBlank(block)) ||
                                  (type == kDataPage && pl::data_page::Check(block) == pl::data_page::State::kPacked &&
                                   pl::data_page::SlotCount(block) == 0);
            if (!reusable)
                return false;
            pl::data_page::InitDataPage(block, m);
            heap_.WriteBlock(page, block);
            return true;
        }
    }
    return false;
}

std::uint32_t PlDbAllocator::AllocatePage()
{
    PlPage header;
    ReadHeader(header);
    PlPage map;
    std::uint32_t page = 0;
    if (!FindFreeEntry(header, map, page)) {
        const auto [m, d] = AddDataPage();
        ReadMap(m, map, "PlDbAllocator::AllocatePage()");
        page = d;
    }
    const int e = pl::meta_page::CoveredEntry(map.pageNo, page);
    pl::meta_page::SetEntry(map, static_cast<std::uint32_t>(e), pl::meta_page::MakeEntry(kEmptyFreeSpace, true));
    heap_.WriteBlock(map.pageNo, map);
    return page;
}

std::uint32_t PlDbAllocator::LastPageWithRoom(const PlPage& header, std::uint32_t aSize)
{
    const std::uint32_t m = pl::meta_page::LastMap(header);
    if (m == 0)
        return 0;
    PlPage map;
    ReadMap(m, map, "PlDbAllocator::AllocateRow()");
    for (int e = kEntriesPerMap - 1; e >= 0; --e) {
        const std::uint8_t entry = pl::meta_page::Entry(map, static_cast<std::uint32_t>(e));
        if (!pl::meta_page::IsAllocated(entry))
            continue;
        const std::uint32_t b = m + 1 + static_cast<std::uint32_t>(e);
        if (pl::meta_page::RecordedFree(entry) < aSize + 4 || b >= heap_.GetBlockCount())
            return 0;
        // The recorded value is rounded down and does not count the slot:
        // check the page itself before using it.
        PlPage data;
        heap_.ReadBlock(b, data);
        const bool fits = pl::data_page::Check(data) == pl::data_page::State::kPacked &&
                          pl::data_page::MapPointer(data) == m && pl::data_page::FreeSpace(data) >= aSize + kSlotSize;
        return fits ? b : 0;
    }
    return 0;
}

void PlDbAllocator::ReadPackedDataPage(std::uint32_t pageno, PlPage& page, PlPage& map, const char* operation)
{
    if (pageno == 0)
        Fail(operation, "pageno == 0", {{"pageno", pageno}});
    heap_.ReadBlock(pageno, page);
    if (pl::data_page::Check(page) != pl::data_page::State::kPacked)
        Fail(operation, "not an intact data page", {{"pageno", pageno}});
    const std::uint32_t m = pl::data_page::MapPointer(page);
    if (pl::meta_page::CoveredEntry(m, pageno) < 0 || m >= heap_.GetBlockCount())
        Fail(operation, "the page's space-map page does not cover it", {{"pageno", pageno}, {"map", m}});
    ReadMap(m, map, operation);
}

tid PlDbAllocator::AllocateRow(std::int32_t aSize, const std::uint8_t* content)
{
    if (aSize < 2 || aSize > static_cast<std::int32_t>(kMaxRowSize))
        Fail("PlDbAllocator::AllocateRow()", "aSize < 2 || aSize > 4044", {{"aSize", aSize}});
    const auto size = static_cast<std::uint32_t>(aSize);
    PlPage header;
    ReadHeader(header);
    std::uint32_t b = LastPageWithRoom(header, size);
    if (b == 0)
        b = AllocatePage();
    if (b == 0)
        Fail("PlDbAllocator::AllocateRow()", "idat == 0", {{"aSize", aSize}});
    PlPage data;
    PlPage map;
    ReadPackedDataPage(b, data, map, "PlDbAllocator::AllocateRow()");
    if (pl::data_page::FreeSpace(data) < size + kSlotSize)
        Fail("PlDbAllocator::AllocateRow()", "FreeSpace() < aSize + 8", {{"aSize", aSize}, {"pageno", b}});
    PlRow reserved;
    if (!content) {
        reserved.Reset(size);
        content = reserved.Data();
    }
    const std::uint32_t k = pl::data_page::AppendRow(data, content, size);
    const int e = pl::meta_page::CoveredEntry(map.pageNo, b);
    pl::meta_page::SetEntry(map, static_cast<std::uint32_t>(e),
                            pl::meta_page::MakeEntry(pl::data_page::FreeSpace(data), false));
    heap_.WriteBlock(map.pageNo, map);
    heap_.WriteBlock(b, data);
    return tid{b, k};
}

void PlDbAllocator::DeleteRow(std::uint32_t pageno, std::uint32_t slot)
{
    PlPage data;
    PlPage map;
    ReadPackedDataPage(pageno, data, map, "PlDbAllocator::DeleteRow()");
    const std::uint32_t count = pl::data_page::SlotCount(data);
    if (slot >= count)
        Fail("PlDbAllocator::DeleteRow()", "slot >= slot count", {{"pageno", pageno}, {"slot", slot}});
    pl::data_page::RemoveRow(data, slot);
    const int e = pl::meta_page::CoveredEntry(map.pageNo, pageno);
    pl::meta_page::SetEntry(map, static_cast<std::uint32_t>(e),
                            pl::meta_page::MakeEntry(pl::data_page::FreeSpace(data), count == 1));
    heap_.WriteBlock(pageno, data);
    heap_.WriteBlock(map.pageNo, map);
}

std::uint32_t PlDbAllocator::FindRow(tid where, const PlRow& row)
{
    PlPage data;
    PlPage map;
    ReadPackedDataPage(where.pageno, data, map, "PlDbAllocator::FindRow()");
    const std::uint32_t count = pl::data_page::SlotCount(data);
    for (std::uint32_t k = where.slot < count ? where.slot + 1 : count; k-- > 0;) {
        if (pl::data_page::SlotLength(data, k) == row.GetSize() &&
            std::memcmp(data.bytes.At(pl::data_page::SlotOffset(data, k)), row.Data(), row.GetSize()) == 0)
            return k;
    }
    Fail("PlDbAllocator::FindRow()", "the row is no longer stored", {{"pageno", where.pageno}, {"slot", where.slot}});
}

void PlDbAllocator::Replace(tid where, const PlRow& row)
{
    PlPage data;
    PlPage map;
    ReadPackedDataPage(where.pageno, data, map, "PlDbAllocator::Replace()");
    if (where.slot >= pl::data_page::SlotCount(data))
        Fail("PlDbAllocator::Replace()", "slot >= slot count", {{"pageno", where.pageno}, {"slot", where.slot}});
    const std::uint32_t old = pl::data_page::SlotLength(data, where.slot);
    if (row.GetSize() < 2 || row.GetSize() > old + pl::data_page::FreeSpace(data))
        Fail("PlDbAllocator::Replace()", "the row does not fit the page",
             {{"aRow.GetSize()", row.GetSize()}, {"pageno", where.pageno}});
    pl::data_page::ReplaceRow(data, where.slot, row.Data(), row.GetSize());
    heap_.WriteBlock(where.pageno, data);
    if (row.GetSize() != old) {
        const int e = pl::meta_page::CoveredEntry(map.pageNo, where.pageno);
        pl::meta_page::SetEntry(map, static_cast<std::uint32_t>(e),
                                pl::meta_page::MakeEntry(pl::data_page::FreeSpace(data), false));
        heap_.WriteBlock(map.pageNo, map);
    }
}
