#pragma once
// Codec of a data page: rows packed upward from offset 32, slot directory of
// {offset, length} pairs growing downward from offset 4076, and at the end
// the directory start, the last used row byte and the slot count.
// Readers call Check first: a page that is not Readable holds no rows.
// Writers require a Packed page, the only kind the allocator produces.

#include <cstdint>
#include <string>

#include "storage/page_format.h"
#include "storage/pl_page.h"

namespace pl::data_page {

enum class State {
    kDamaged,   // wrong type or a directory that points outside the page or a row
    kReadable,  // every slot and every row's field directory lies inside the page
    kPacked,    // readable, and the rows lie back to back in slot order
};

void InitDataPage(PlPage& page, std::uint32_t mapBlock);
// why, when given, receives what made the page less than Packed.
State Check(const PlPage& page, std::string* why = nullptr);
// The parts of Check that keep reads inside the page, for readers that check
// rows one by one: the type, slot count, directory start and last used byte
// agree (FrameInside); slot k lies inside the row area (SlotInside, REQUIRES
// FrameInside and k < SlotCount()). The rows' own field directories are
// pl::row::DirectoryInside.
bool FrameInside(const PlPage& page, std::string* why = nullptr);
bool SlotInside(const PlPage& page, std::uint32_t k);

inline std::uint32_t SlotCount(const PlPage& page)
{
    return page.bytes.GetU32(pl::page::kSlotCountOffset);
}
inline std::uint32_t DirStart(const PlPage& page)
{
    return page.bytes.GetU32(pl::page::kDirStartOffset);
}
inline std::uint32_t LastUsed(const PlPage& page)
{
    return page.bytes.GetU32(pl::page::kLastUsedOffset);
}
inline std::uint32_t MapPointer(const PlPage& page)
{
    return page.bytes.GetU32(pl::page::kMapPointerOffset);
}
inline std::uint32_t SlotOffset(const PlPage& page, std::uint32_t k)
{
    return page.bytes.GetU32(pl::page::SlotOffsetPos(k));
}
inline std::uint32_t SlotLength(const PlPage& page, std::uint32_t k)
{
    return page.bytes.GetU32(pl::page::SlotLengthPos(k));
}
// Directory start − last used − 1; REQUIRES a page that is at least Readable.
inline std::uint32_t FreeSpace(const PlPage& page)
{
    return DirStart(page) - LastUsed(page) - 1;
}

// Adds a row as the new highest slot and returns that slot.
// REQUIRES: Packed, and size + 8 <= FreeSpace().
std::uint32_t AppendRow(PlPage& page, const std::uint8_t* bytes, std::uint32_t size);
// Replaces slot k's bytes, moving the rows after it. REQUIRES: Packed, k <
// SlotCount(), and the new length fits.
void ReplaceRow(PlPage& page, std::uint32_t k, const std::uint8_t* bytes, std::uint32_t size);
// Removes slot k; slots above it move down by one. REQUIRES: Packed, k < SlotCount().
void RemoveRow(PlPage& page, std::uint32_t k);

}  // namespace pl::data_page
