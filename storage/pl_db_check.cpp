#include "storage/pl_db_check.h"

#include <algorithm>
#include <set>

#include "storage/pl_data_page.h"
#include "storage/pl_meta_pages.h"
#include "storage/pl_storage_errors.h"

using namespace pl::page;

bool PlDbCheckReport::Damaged() const
{
    return std::any_of(findings.begin(), findings.end(), [](const PlDbFinding& f) { return f.damage; });
}

namespace {

class Checker {
public:
    explicit Checker(PlAbstractPageHeap& heap) : heap_(heap) {}

    PlDbCheckReport Run()
    {
        report_.blocks = heap_.GetBlockCount();
        used_.assign(report_.blocks, false);
        if (report_.blocks == 0)
            return report_;
        PlPage header;
        if (!Read(0, header))
            return report_;
        used_[0] = true;
        if (!pl::meta_page::IsHeaderPage(header)) {
            if (report_.blocks == 1 && pl::meta_page::IsBlank(header))
                Note(0, "header never written (an interrupted first insert; the next insert writes it)");
            else
                Damage(0, "not a header page: wrong type or signature");
            return report_;
        }
        CheckCommon(header);
        const std::vector<std::uint32_t> chain = WalkForward(pl::meta_page::FirstMap(header));
        CheckBackward(chain, pl::meta_page::LastMap(header));
        for (std::uint32_t b = 0; b < report_.blocks; ++b)
            if (!used_[b])
                Note(b, "block not described by any space-map page");
        return report_;
    }

private:
    void Damage(std::uint32_t block, std::string text) { report_.findings.push_back({block, true, std::move(text)}); }
    void Note(std::uint32_t block, std::string text) { report_.findings.push_back({block, false, std::move(text)}); }

    bool Read(std::uint32_t block, PlPage& page)
    {
        try {
            heap_.ReadBlock(block, page);
            return true;
        } catch (const PlDatabaseErr& e) {
            Damage(block, "cannot be read" + (e.Message().empty() ? std::string() : ": " + e.Message()));
            return false;
        }
    }

    void CheckCommon(const PlPage& page)
    {
        if (page.bytes.GetU32(kPageSizeOffset) != kPageSize ||
            page.bytes.GetU32(kHeaderSizeOffset) != kCommonHeaderSize)
            Note(page.pageNo, "page or header size field is not 4096/32");
    }

    std::vector<std::uint32_t> WalkForward(std::uint32_t first)
    {
        std::vector<std::uint32_t> chain;
        std::uint32_t prev = 0;
        for (std::uint32_t m = first; m != 0;) {
            if (m >= report_.blocks || m <= prev) {
                Damage(prev, "space-map chain points to block " + std::to_string(m) +
                                 (m >= report_.blocks ? ", past the end" : ", not after this one"));
                break;
            }
            PlPage map;
            if (!Read(m, map))
                break;
            if (!pl::meta_page::IsMapPage(map)) {
                Damage(m, "in the space-map chain but not a space-map page");
                break;
            }
            used_[m] = true;
            CheckCommon(map);
            if (pl::meta_page::PrevMap(map) != prev)
                Damage(m, "previous-map pointer " + std::to_string(pl::meta_page::PrevMap(map)) + ", expected " +
                              std::to_string(prev));
            CheckEntries(map);
            chain.push_back(m);
            prev = m;
            m = pl::meta_page::NextMap(map);
        }
        return chain;
    }

    void CheckBackward(const std::vector<std::uint32_t>& chain, std::uint32_t last)
    {
        if (chain.empty() && last == 0)
            return;
        const auto at = std::find(chain.begin(), chain.end(), last);
        if (at == chain.end()) {
            Damage(0, "last-map pointer " + std::to_string(last) + " is not in the space-map chain");
            return;
        }
        // Map pages after the last-map pointer are left by an interrupted
        // AddDataPage; harmless while they describe no data page.
        for (auto it = at + 1; it != chain.end(); ++it) {
            if (allocatingMaps_.count(*it))
                Damage(0, "last-map pointer " + std::to_string(last) + " is not the end of the space-map chain");
            else
                Note(*it, "space-map page after the last-map pointer, describing no data page");
        }
    }

    void CheckEntries(const PlPage& map)
    {
        for (std::uint32_t e = 0; e < kEntriesPerMap; ++e) {
            const std::uint8_t entry = pl::meta_page::Entry(map, e);
            const std::uint32_t block = map.pageNo + 1 + e;
            if (!pl::meta_page::IsAllocated(entry)) {
                if (block < report_.blocks)
                    used_[block] = true;  // an unused data page left by an interrupted change
                continue;
            }
            if (block >= report_.blocks) {
                Damage(map.pageNo,
                       "entry " + std::to_string(e) + " names block " + std::to_string(block) + ", past the end");
                continue;
            }
            PlPage data;
            if (!Read(block, data))
                continue;
            used_[block] = true;
            allocatingMaps_.insert(map.pageNo);
            CheckDataPage(data, map.pageNo, entry);
        }
    }

    void CheckDataPage(const PlPage& data, std::uint32_t mapBlock, std::uint8_t entry)
    {
        const std::uint32_t block = data.pageNo;
        std::string why;
        const pl::data_page::State state = pl::data_page::Check(data, &why);
        if (state == pl::data_page::State::kDamaged) {
            Damage(block, why);
            return;
        }
        ++report_.dataPages;
        report_.rows += pl::data_page::SlotCount(data);
        if (state != pl::data_page::State::kPacked)
            Damage(block, why + " (readable, but no change can be written to it)");
        if (pl::data_page::MapPointer(data) != mapBlock)
            Damage(block, "names space-map page " + std::to_string(pl::data_page::MapPointer(data)) +
                              ", described by " + std::to_string(mapBlock));
        const std::uint32_t count = pl::data_page::SlotCount(data);
        if (pl::meta_page::IsEmptyPage(entry) && count > 0)
            Damage(block, "holds " + std::to_string(count) + " rows but its map entry says empty (they are hidden)");
        if (pl::meta_page::RecordedFree(entry) > pl::data_page::FreeSpace(data))
            Note(block, "map entry records more room than the page has");
        else if (pl::meta_page::RecordedFree(entry) + kFreeUnit <= pl::data_page::FreeSpace(data) &&
                 !pl::meta_page::IsEmptyPage(entry))
            Note(block, "map entry records less room than the page has");
    }

    PlAbstractPageHeap& heap_;
    PlDbCheckReport report_;
    std::vector<bool> used_;
    std::set<std::uint32_t> allocatingMaps_;  // map pages with an allocated entry
};

}  // namespace

PlDbCheckReport PlDbCheck(PlAbstractPageHeap& heap)
{
    return Checker(heap).Run();
}
