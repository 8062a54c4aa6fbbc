#include "storage/pl_data_page.h"

#include <cstring>

#include "storage/pl_meta_pages.h"

using namespace pl::page;

namespace pl::data_page {
namespace {

bool RowDirectoryInside(const PlPage& page, std::uint32_t off, std::uint32_t len)
{
    if (len < kRowCountSize)
        return false;
    const std::uint32_t n = page.bytes.GetU16(off);
    const std::uint32_t dirEnd = kRowCountSize + kFieldEntrySize * n;
    if (dirEnd > len)
        return false;
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint32_t fieldOff = page.bytes.GetU16(off + FieldOffsetPos(i));
        const std::uint32_t fieldLen = page.bytes.GetU16(off + FieldLengthPos(i));
        if (fieldOff < dirEnd || fieldOff + fieldLen > len)
            return false;
    }
    return true;
}

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

std::uint32_t SlotCount(const PlPage& page)
{
    return page.bytes.GetU32(kSlotCountOffset);
}
std::uint32_t DirStart(const PlPage& page)
{
    return page.bytes.GetU32(kDirStartOffset);
}
std::uint32_t LastUsed(const PlPage& page)
{
    return page.bytes.GetU32(kLastUsedOffset);
}
std::uint32_t MapPointer(const PlPage& page)
{
    return page.bytes.GetU32(kMapPointerOffset);
}
std::uint32_t SlotOffset(const PlPage& page, std::uint32_t k)
{
    return page.bytes.GetU32(SlotOffsetPos(k));
}
std::uint32_t SlotLength(const PlPage& page, std::uint32_t k)
{
    return page.bytes.GetU32(SlotLengthPos(k));
}
std::uint32_t FreeSpace(const PlPage& page)
{
    return DirStart(page) - LastUsed(page) - 1;
}

State Check(const PlPage& page, std::string* why)
{
    const auto fail = [why](State state, const std::string& reason) {
        if (why)
            *why = reason;
        return state;
    };
    const std::uint32_t count = SlotCount(page);
    if (pl::meta_page::PageType(page) != kDataPage)
        return fail(State::kDamaged, "not a data page (type " + std::to_string(pl::meta_page::PageType(page)) + ")");
    if (count > kMaxSlots || DirStart(page) != kDirStartOffset - kSlotSize * count)
        return fail(State::kDamaged, "slot count " + std::to_string(count) + " and directory start " +
                                         std::to_string(DirStart(page)) + " disagree");
    const std::uint32_t lastUsed = LastUsed(page);
    if (lastUsed < kEmptyLastUsed || lastUsed >= DirStart(page))
        return fail(State::kDamaged, "last used byte " + std::to_string(lastUsed) + " outside the row area");
    bool packed = true;
    std::uint32_t expected = kRowAreaStart;
    for (std::uint32_t k = 0; k < count; ++k) {
        const std::uint32_t off = SlotOffset(page, k);
        const std::uint32_t len = SlotLength(page, k);
        if (off < kRowAreaStart || off > lastUsed || len > lastUsed + 1 - off)
            return fail(State::kDamaged, "slot " + std::to_string(k) + " outside the row area");
        if (!RowDirectoryInside(page, off, len))
            return fail(State::kDamaged, "row directory of slot " + std::to_string(k) + " outside its row");
        packed = packed && off == expected;
        expected = off + len;
    }
    if (!packed || expected != lastUsed + 1)
        return fail(State::kReadable, "rows not packed in slot order");
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
