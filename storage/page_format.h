#pragma once
// Offsets and constants of the database file: 4096-byte blocks holding a
// header page (block 0), space-map pages and data pages. Every reader and
// writer of a page takes its offsets from here. All integers are little-endian
// and unaligned.

#include <cstdint>

namespace pl::page {

inline constexpr std::uint32_t kPageSize = 4096;
inline constexpr int kPageShift = 12;
// Block numbers stay below this so that every byte offset fits in 32 bits.
inline constexpr std::uint32_t kMaxBlocks = 1u << 20;

// Common page header.
inline constexpr std::uint32_t kTypeOffset = 0;
inline constexpr std::uint32_t kPageSizeOffset = 2;
inline constexpr std::uint32_t kHeaderSizeOffset = 6;
inline constexpr std::uint32_t kMapPointerOffset = 10;  // data pages only
inline constexpr std::uint32_t kCommonHeaderSize = 32;

inline constexpr std::uint8_t kHeaderPage = 1;
inline constexpr std::uint8_t kSpaceMapPage = 2;
inline constexpr std::uint8_t kDataPage = 3;

// Header page (block 0).
inline constexpr std::uint32_t kSignatureOffset = 32;
inline constexpr char kSignature[8] = "PARLINO";  // seven characters and a zero byte
inline constexpr std::uint32_t kVersionOffset = 40;
inline constexpr std::uint8_t kVersion = 2;
inline constexpr std::uint32_t kFirstMapOffset = 42;
inline constexpr std::uint32_t kLastMapOffset = 46;

// Space-map page.
inline constexpr std::uint32_t kNextMapOffset = 32;
inline constexpr std::uint32_t kPrevMapOffset = 36;
inline constexpr std::uint32_t kEntriesOffset = 40;
inline constexpr std::uint32_t kEntriesPerMap = 3;
inline constexpr std::uint8_t kEntryAllocated = 0x80;
inline constexpr std::uint8_t kEntryEmpty = 0x40;
inline constexpr std::uint8_t kEntryFreeMask = 0x3F;
inline constexpr std::uint32_t kFreeUnit = 64;

// Data page.
inline constexpr std::uint32_t kRowAreaStart = 32;
inline constexpr std::uint32_t kDirStartOffset = 4084;
inline constexpr std::uint32_t kLastUsedOffset = 4088;
inline constexpr std::uint32_t kSlotCountOffset = 4092;
inline constexpr std::uint32_t kSlotSize = 8;
inline constexpr std::uint32_t kEmptyLastUsed = kRowAreaStart - 1;
inline constexpr std::uint32_t kEmptyFreeSpace = kDirStartOffset - kEmptyLastUsed - 1;  // 4052
inline constexpr std::uint32_t kMaxRowSize = kEmptyFreeSpace - kSlotSize;               // 4044
inline constexpr std::uint32_t kMaxSlots = kEmptyFreeSpace / kSlotSize;

// Slot k of a data page: row offset at SlotOffsetPos(k), row length 4 bytes later.
constexpr std::uint32_t SlotOffsetPos(std::uint32_t k)
{
    return 4076 - kSlotSize * k;
}
constexpr std::uint32_t SlotLengthPos(std::uint32_t k)
{
    return 4080 - kSlotSize * k;
}

// Row: field count, then per field an offset and a length (16-bit each).
inline constexpr std::uint32_t kRowCountSize = 2;
inline constexpr std::uint32_t kFieldEntrySize = 4;
constexpr std::uint32_t FieldOffsetPos(std::uint32_t i)
{
    return 2 + kFieldEntrySize * i;
}
constexpr std::uint32_t FieldLengthPos(std::uint32_t i)
{
    return 4 + kFieldEntrySize * i;
}

}  // namespace pl::page
