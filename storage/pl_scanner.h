#pragma once
// PlScanner: runs a cursor's scan over the database's page cache and
// remembers, per data page, what the filter took, so that the next scan
// calls the filter only on pages that changed (when the filter allows it, see
// PlDbFilter::ResultKey). The result is always the snapshot a complete scan
// would produce. REQUIRES: the database's lock is held.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "storage/pl_db_filter.h"
#include "storage/pl_page_cache.h"
#include "storage/pl_snapshot.h"

class PlScanner {
public:
    // Never throws: a failure (a block that cannot be read, a filter that
    // throws) ends the scan with the rows taken so far.
    std::shared_ptr<const PlSnapshot> Scan(PlPageCache& cache, PlDbFilter& filter);

private:
    void ScanChain(PlPageCache& cache, PlDbFilter& filter, PlSnapshot& snapshot);
    // What the filter takes from one page; partial_ holds the rows taken
    // before a filter exception.
    std::shared_ptr<const PlPageRows> PageRows(const std::shared_ptr<const PlPageImage>& image, PlDbFilter& filter);

    std::vector<std::shared_ptr<const PlPageRows>> memo_;  // by block number
    std::optional<std::string> key_;
    std::shared_ptr<PlPageRows> partial_;
    PlRow row_;
};
