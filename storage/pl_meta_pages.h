#pragma once
// Codec of the header page (block 0) and of the space-map pages, whose chain
// records which data pages exist, which are empty and how much room they have.

#include <cstdint>

#include "storage/page_format.h"
#include "storage/pl_page.h"

namespace pl::meta_page {

// Zeroes the page and writes the common header of the given page type.
void InitCommonHeader(PlPage& page, std::uint8_t type);
std::uint8_t PageType(const PlPage& page);
// True when every byte is zero: a block grown but never written.
bool IsBlank(const PlPage& page);

// Header page: signature "PARLINO", version bytes 2 and 0, no map pages.
void InitHeaderPage(PlPage& page);
// True when the page carries the header type and the signature.
bool IsHeaderPage(const PlPage& page);
std::uint32_t FirstMap(const PlPage& header);
std::uint32_t LastMap(const PlPage& header);
void SetFirstMap(PlPage& header, std::uint32_t block);
void SetLastMap(PlPage& header, std::uint32_t block);

// Space-map page describing blocks own+1 … own+3.
void InitMapPage(PlPage& page, std::uint32_t prev);
bool IsMapPage(const PlPage& page);
std::uint32_t NextMap(const PlPage& map);
std::uint32_t PrevMap(const PlPage& map);
void SetNextMap(PlPage& map, std::uint32_t block);
std::uint8_t Entry(const PlPage& map, std::uint32_t e);
void SetEntry(PlPage& map, std::uint32_t e, std::uint8_t entry);
// The entry of an allocated data page with freeSpace bytes free.
std::uint8_t MakeEntry(std::uint32_t freeSpace, bool empty);
inline bool IsAllocated(std::uint8_t entry)
{
    return (entry & pl::page::kEntryAllocated) != 0;
}
inline bool IsEmptyPage(std::uint8_t entry)
{
    return (entry & pl::page::kEntryEmpty) != 0;
}
inline std::uint32_t RecordedFree(std::uint8_t entry)
{
    return static_cast<std::uint32_t>(entry & pl::page::kEntryFreeMask) * pl::page::kFreeUnit;
}
// The entry index of block in the map page mapBlock, or -1 when not covered.
int CoveredEntry(std::uint32_t mapBlock, std::uint32_t block);

}  // namespace pl::meta_page
