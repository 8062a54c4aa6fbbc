#include "storage/pl_data_page.h"

#include <cstring>

#include "storage/pl_meta_pages.h"
#include "storage/pl_row.h"

using namespace pl::page;

namespace pl::data_page {
namespace {

void SetSlot(PlPage& page, std::uint32_t k, std::uint32_t offset, std::uint32_t length)
{
    page.bytes.PutU32(SlotOffsetPos(k), offset);
    page.bytes.PutU32(SlotLengthPos(k), length);
}

}  // namespace

void InitDataPage(PlPage& page, std::uint32_t mapBlock)
{
    pl::meta_page::InitCommonHeader(page, kDataPage);
    page.bytes.PutU32(kMapPointerOffset, mapBlock);
    page.bytes.PutU32(kDirStartOffset, kDirStartOffset);
    page.bytes.PutU32(kLastUsedOffset, kEmptyLastUsed);
    page.bytes.PutU32(kSlotCountOffset, 0);
}

bool FrameInside(const PlPage& page, std::string* why)
{
    const auto fail = [why](const std::string& reason) {
        if (why)
            *why = reason;
        return false;
    };
    const std::uint32_t count = SlotCount(page);
    if (pl::meta_page::PageType(page) != kDataPage)
        return fail("not a data page (type " + std::to_string(pl::meta_page::PageType(page)) + ")");
    if (count > kMaxSlots || DirStart(page) != kDirStartOffset - kSlotSize * count)
        return fail("slot count " + std::to_string(count) + " and directory start " + std::to_string(DirStart(page)) +
                    " disagree");
    const std::uint32_t lastUsed = LastUsed(page);
    if (lastUsed < kEmptyLastUsed || lastUsed >= DirStart(page))
        return fail("last used byte " + std::to_string(lastUsed) + " outside the row area");
    return true;
}

bool SlotInside(const PlPage& page, std::uint32_t k)
{
    const std::uint32_t off = SlotOffset(page, k);
    const std::uint32_t len = SlotLength(page, k);
    const std::uint32_t lastUsed = LastUsed(page);
    return off >= kRowAreaStart && off <= lastUsed && len <= lastUsed + 1 - off;
}

State Check(const PlPage& page, std::string* why)
{
    if (!FrameInside(page, why))
        return State::kDamaged;
    for (std::uint32_t k = 0; k < SlotCount(page); ++k) {
        if (!SlotInside(page, k)) {
            if (why)
                *why = "slot " + std::to_string(k) + " outside the row area";
            return State::kDamaged;
        }
    }
    bool packed = true;
    std::uint32_t expected = kRowAreaStart;
    for (std::uint32_t k = 0; k < SlotCount(page); ++k) {
        const std::uint32_t off = SlotOffset(page, k);
        const std::uint32_t len = SlotLength(page, k);
        if (!pl::row::DirectoryInside(page.bytes.At(off), len)) {
            if (why)
                *why = "row directory of slot " + std::to_string(k) + " outside its row";
            return State::kDamaged;
        }
        packed = packed && off == expected;
        expected = off + len;
    }
    if (!packed || expected != LastUsed(page) + 1) {
        if (why)
            *why = "rows not packed in slot order";
        return State::kReadable;
    }
    return State::kPacked;
}

std::uint32_t AppendRow(PlPage& page, const std::uint8_t* bytes, std::uint32_t size)
{
    const std::uint32_t k = SlotCount(page);
    const std::uint32_t offset = LastUsed(page) + 1;
    page.bytes.Write(offset, bytes, size);
    SetSlot(page, k, offset, size);
    page.bytes.PutU32(kLastUsedOffset, LastUsed(page) + size);
    page.bytes.PutU32(kDirStartOffset, DirStart(page) - kSlotSize);
    page.bytes.PutU32(kSlotCountOffset, k + 1);
    return k;
}

void ReplaceRow(PlPage& page, std::uint32_t k, const std::uint8_t* bytes, std::uint32_t size)
{
    const std::uint32_t offset = SlotOffset(page, k);
    const std::uint32_t oldSize = SlotLength(page, k);
    const std::uint32_t tail = offset + oldSize;
    const std::uint32_t lastUsed = LastUsed(page);
    std::memmove(page.bytes.At(offset + size), page.bytes.At(tail), lastUsed + 1 - tail);
    page.bytes.PutU32(kLastUsedOffset, lastUsed + size - oldSize);
    page.bytes.Write(offset, bytes, size);
    page.bytes.PutU32(SlotLengthPos(k), size);
    for (std::uint32_t j = k + 1; j < SlotCount(page); ++j)
        page.bytes.PutU32(SlotOffsetPos(j), SlotOffset(page, j) + size - oldSize);
}

void RemoveRow(PlPage& page, std::uint32_t k)
{
    const std::uint32_t offset = SlotOffset(page, k);
    const std::uint32_t length = SlotLength(page, k);
    const std::uint32_t count = SlotCount(page);
    const std::uint32_t lastUsed = LastUsed(page);
    std::memmove(page.bytes.At(offset), page.bytes.At(offset + length), lastUsed + 1 - offset - length);
    page.bytes.PutU32(kLastUsedOffset, lastUsed - length);
    for (std::uint32_t j = k + 1; j < count; ++j)
        SetSlot(page, j - 1, SlotOffset(page, j) - length, SlotLength(page, j));
    page.bytes.PutU32(kDirStartOffset, DirStart(page) + kSlotSize);
    page.bytes.PutU32(kSlotCountOffset, count - 1);
}

}  // namespace pl::data_page
