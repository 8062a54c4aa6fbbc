#include "storage/pl_snapshot.h"

#include <algorithm>
#include <utility>

void PlScanGroup::Add(std::uint8_t entry, std::shared_ptr<const PlPageRows> page, std::uint64_t threshold)
{
    entries[pageCount] = entry;
    const std::uint32_t n = page->Taken(threshold);
    if (page->Visited())
        lastContinue = page->LastContinue(threshold);
    taken[pageCount] = static_cast<std::uint16_t>(n);
    pages[pageCount++] = std::move(page);
    rows += n;
}

bool PlScanGroup::Retake(std::uint64_t threshold)
{
    bool changed = false;
    bool goOn = true;
    rows = 0;
    for (std::uint8_t p = 0; p < pageCount; ++p) {
        const auto n = static_cast<std::uint16_t>(pages[p]->Taken(threshold));
        changed = changed || n != taken[p];
        taken[p] = n;
        rows += n;
        if (pages[p]->Visited())
            goOn = pages[p]->LastContinue(threshold);
    }
    changed = changed || goOn != lastContinue;
    lastContinue = goOn;
    return changed;
}

std::shared_ptr<const PlPageRows> PlScanGroup::Find(std::uint32_t pageNo) const
{
    for (std::uint8_t p = 0; p < pageCount; ++p)
        if (PageNo(p) == pageNo)
            return pages[p];
    return nullptr;
}

PlSnapshot::PlSnapshot(const PlSnapshot* old, std::int32_t keep, std::vector<PlScanGroup> newer)
{
    std::vector<PlScanGroup> pending;
    if (old && keep >= 0) {
        // Whole chunks of the old snapshot are shared; the one that holds
        // group `keep` is shared too when it ends there and is full.
        const auto c = static_cast<std::size_t>(
            std::upper_bound(old->groupEnds_.begin(), old->groupEnds_.end(), static_cast<std::uint32_t>(keep)) -
            old->groupEnds_.begin());
        for (std::size_t i = 0; i < c; ++i)
            AddChunk(old->chunks_[i]);
        const std::uint32_t start = c == 0 ? 0 : old->groupEnds_[c - 1];
        const Chunk& last = *old->chunks_[c];
        const std::size_t through = static_cast<std::size_t>(keep) - start + 1;
        if (through == last.groups.size() && through == kChunkGroups)
            AddChunk(old->chunks_[c]);
        else
            pending.assign(last.groups.begin(), last.groups.begin() + static_cast<std::ptrdiff_t>(through));
    }
    for (PlScanGroup& group : newer) {
        pending.push_back(std::move(group));
        if (pending.size() == kChunkGroups)
            AddChunk(std::exchange(pending, {}));
    }
    if (!pending.empty())
        AddChunk(std::move(pending));
}

void PlSnapshot::AddChunk(std::vector<PlScanGroup> groups)
{
    auto chunk = std::make_shared<Chunk>();
    std::uint32_t rows = 0;
    for (const PlScanGroup& group : groups)
        chunk->rowEnds.push_back(rows += group.rows);
    chunk->groups = std::move(groups);
    AddChunk(std::shared_ptr<const Chunk>(std::move(chunk)));
}

void PlSnapshot::AddChunk(std::shared_ptr<const Chunk> chunk)
{
    const std::uint32_t rows = chunk->rowEnds.back();
    const auto groups = static_cast<std::uint32_t>(chunk->groups.size());
    rowEnds_.push_back((rowEnds_.empty() ? 0 : rowEnds_.back()) + rows);
    groupEnds_.push_back((groupEnds_.empty() ? 0 : groupEnds_.back()) + groups);
    chunks_.push_back(std::move(chunk));
}

std::int32_t PlSnapshot::GroupCount() const
{
    return groupEnds_.empty() ? 0 : static_cast<std::int32_t>(groupEnds_.back());
}

const PlScanGroup& PlSnapshot::GroupAt(std::int32_t g) const
{
    const auto index = static_cast<std::uint32_t>(g);
    const auto c =
        static_cast<std::size_t>(std::upper_bound(groupEnds_.begin(), groupEnds_.end(), index) - groupEnds_.begin());
    return chunks_[c]->groups[index - (c == 0 ? 0 : groupEnds_[c - 1])];
}

std::int32_t PlSnapshot::FindCovering(std::uint32_t block) const
{
    // Map pages grow along the groups: the last group whose map page is at
    // or below the block.
    const auto chunk = std::upper_bound(chunks_.begin(), chunks_.end(), block,
                                        [](std::uint32_t b, const auto& c) { return b < c->groups.front().map; });
    if (chunk == chunks_.begin())
        return -1;
    const std::vector<PlScanGroup>& groups = (*std::prev(chunk))->groups;
    const auto group = std::upper_bound(groups.begin(), groups.end(), block,
                                        [](std::uint32_t b, const PlScanGroup& g) { return b < g.map; });
    const PlScanGroup& found = *std::prev(group);
    if (block - found.map > pl::page::kEntriesPerMap)
        return -1;
    const auto c = static_cast<std::size_t>(std::prev(chunk) - chunks_.begin());
    return static_cast<std::int32_t>((c == 0 ? 0 : groupEnds_[c - 1]) + (std::prev(group) - groups.begin()));
}

std::int32_t PlSnapshot::FindMap(std::uint32_t map) const
{
    const std::int32_t g = FindCovering(map);
    return g >= 0 && GroupAt(g).map == map ? g : -1;
}

PlSnapshot::Place PlSnapshot::Locate(std::int32_t i) const
{
    // Groups are kept oldest first, records are numbered newest first.
    const std::uint32_t r = static_cast<std::uint32_t>(Size() - 1 - i);
    const auto c = static_cast<std::size_t>(std::upper_bound(rowEnds_.begin(), rowEnds_.end(), r) - rowEnds_.begin());
    const Chunk& chunk = *chunks_[c];
    const std::uint32_t inChunk = r - (c == 0 ? 0 : rowEnds_[c - 1]);
    const auto g = static_cast<std::size_t>(std::upper_bound(chunk.rowEnds.begin(), chunk.rowEnds.end(), inChunk) -
                                            chunk.rowEnds.begin());
    const PlScanGroup& group = chunk.groups[g];
    std::uint32_t j = chunk.rowEnds[g] - 1 - inChunk;  // scan order within the group
    std::uint8_t p = 0;
    while (j >= group.taken[p])
        j -= group.taken[p++];
    return {&group, p, j};
}

tid PlSnapshot::TidAt(std::int32_t i) const
{
    const Place place = Locate(i);
    return tid{place.group->PageNo(place.page), place.group->pages[place.page]->Slot(place.row)};
}

void PlSnapshot::RowAt(std::int32_t i, PlRow& row) const
{
    const Place place = Locate(i);
    place.group->pages[place.page]->Row(place.row, row);
}
