#include "storage/pl_meta_pages.h"

#include <algorithm>
#include <cstring>

using namespace pl::page;

namespace pl::meta_page {

void InitCommonHeader(PlPage& page, std::uint8_t type)
{
    page.bytes.Resize(kPageSize);
    page.bytes.PutByte(kTypeOffset, type);
    page.bytes.PutU32(kPageSizeOffset, kPageSize);
    page.bytes.PutU32(kHeaderSizeOffset, kCommonHeaderSize);
}

std::uint8_t PageType(const PlPage& page)
{
    return page.bytes.GetByte(kTypeOffset);
}

bool IsBlank(const PlPage& page)
{
    const std::uint8_t* p = page.bytes.Data();
    return std::all_of(p, p + kPageSize, [](std::uint8_t b) { return b == 0; });
}

void InitHeaderPage(PlPage& page)
{
    InitCommonHeader(page, kHeaderPage);
    page.bytes.Write(kSignatureOffset, kSignature, sizeof kSignature);
    page.bytes.PutByte(kVersionOffset, kVersion);
}

bool IsHeaderPage(const PlPage& page)
{
    return PageType(page) == kHeaderPage &&
           std::memcmp(page.bytes.At(kSignatureOffset), kSignature, sizeof kSignature) == 0;
}

std::uint32_t FirstMap(const PlPage& header)
{
    return header.bytes.GetU32(kFirstMapOffset);
}
std::uint32_t LastMap(const PlPage& header)
{
    return header.bytes.GetU32(kLastMapOffset);
}
void SetFirstMap(PlPage& header, std::uint32_t block)
{
    header.bytes.PutU32(kFirstMapOffset, block);
}
void SetLastMap(PlPage& header, std::uint32_t block)
{
    header.bytes.PutU32(kLastMapOffset, block);
}

void InitMapPage(PlPage& page, std::uint32_t prev)
{
    InitCommonHeader(page, kSpaceMapPage);
    page.bytes.PutU32(kPrevMapOffset, prev);
}

bool IsMapPage(const PlPage& page)
{
    return PageType(page) == kSpaceMapPage;
}
std::uint32_t NextMap(const PlPage& map)
{
    return map.bytes.GetU32(kNextMapOffset);
}
std::uint32_t PrevMap(const PlPage& map)
{
    return map.bytes.GetU32(kPrevMapOffset);
}
void SetNextMap(PlPage& map, std::uint32_t block)
{
    map.bytes.PutU32(kNextMapOffset, block);
}
std::uint8_t Entry(const PlPage& map, std::uint32_t e)
{
    return map.bytes.GetByte(kEntriesOffset + e);
}
void SetEntry(PlPage& map, std::uint32_t e, std::uint8_t entry)
{
    map.bytes.PutByte(kEntriesOffset + e, entry);
}

std::uint8_t MakeEntry(std::uint32_t freeSpace, bool empty)
{
    std::uint32_t units = freeSpace / kFreeUnit;
    if (units > kEntryFreeMask)
        units = kEntryFreeMask;
    return static_cast<std::uint8_t>(kEntryAllocated | (empty ? kEntryEmpty : 0) | units);
}

int CoveredEntry(std::uint32_t mapBlock, std::uint32_t block)
{
    if (block <= mapBlock || block - mapBlock > kEntriesPerMap)
        return -1;
    return static_cast<int>(block - mapBlock - 1);
}

}  // namespace pl::meta_page
