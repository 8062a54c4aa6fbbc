#include "reference_scan.h"

#include "storage/page_format.h"
#include "storage/pl_page.h"

std::vector<ReferenceEntry> ReferenceScan(PlAbstractPageHeap& heap, PlDbFilter& filter)
{
    std::vector<ReferenceEntry> snapshot;
    filter.Begin();
    try {
        PlPage header;
        heap.ReadBlock(0, header);
        const std::uint32_t first = header.bytes.GetU32(42);
        std::uint32_t map = header.bytes.GetU32(46);
        if (first == 0 || map == 0)
            return snapshot;
        bool lastContinue = true;
        while (map != 0) {
            PlPage mapPage;
            heap.ReadBlock(map, mapPage);
            for (int e = 2; e >= 0; --e) {
                const std::uint8_t entry = mapPage.bytes.GetByte(40 + e);
                if (!(entry & 0x80) || (entry & 0x40))
                    continue;
                PlPage data;
                heap.ReadBlock(map + 1 + e, data);
                const std::uint32_t count = data.bytes.GetU32(4092);
                for (std::uint32_t k = count; k-- > 0;) {
                    PlRow row;
                    row.Assign(data.bytes.At(data.bytes.GetU32(4076 - 8 * k)), data.bytes.GetU32(4080 - 8 * k));
                    const bool accept = filter.Accept(row);
                    lastContinue = filter.Continue(row);
                    if (!lastContinue)
                        break;
                    if (accept)
                        snapshot.push_back({map + 1 + static_cast<std::uint32_t>(e), k, row});
                }
            }
            if (!lastContinue)
                break;
            map = mapPage.bytes.GetU32(36);
        }
    } catch (...) {
        // the scan ends with what it took
    }
    return snapshot;
}
