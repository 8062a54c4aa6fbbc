#pragma once
// PlScanner: runs a cursor's scan over the database's page cache. The result
// is always the snapshot a complete scan of the file would take now; the
// work is not. When the filter has a result key (PlDbFilter::ResultKey), the
// scanner keeps the last snapshot and, at the next refresh, walks the chain
// of space-map pages again from the newest end: groups (one space-map page
// and its data pages) that no change touched are taken from the last
// snapshot without reading the file, and as soon as the rest of the chain is
// untouched the last snapshot's older groups are shared whole. With a
// continue threshold (a time window) the kept page results are only counted
// again under the new threshold. A filter without a key is run over every
// row at every refresh, as the scan is defined.
// REQUIRES: the database's lock is held for every call.

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
    // How a scan ended; the next refresh may share the last snapshot's
    // oldest groups only when the same end is certain.
    enum class End { kError, kEmpty, kChainEnd, kStop, kNotMap };
    struct Pass;

    std::shared_ptr<const PlSnapshot> Walk(Pass& pass);
    void ReadHeader(Pass& pass);
    // One space-map page and its data pages; false when block m is not a
    // space-map page. A failure leaves the pages read so far in `group`.
    bool ReadGroup(Pass& pass, std::uint32_t m, const PlScanGroup* before, PlScanGroup& group);
    bool Changed(std::uint32_t block) const;
    bool Changed(const PlScanGroup& group) const;

    std::shared_ptr<const PlSnapshot> last_ = std::make_shared<PlSnapshot>();
    bool reusable_ = false;  // last_ and what follows describe the file at stamp_
    std::uint64_t stamp_ = 0;
    std::optional<std::string> key_;
    std::optional<std::uint64_t> threshold_;
    End end_ = End::kError;
    std::uint32_t endBlock_ = 0;  // kNotMap: the block that was not a space-map page
    bool headerUsable_ = false;   // a header page with a first space-map page
    std::uint32_t lastMap_ = 0;
    std::vector<std::uint32_t> changed_;  // blocks changed since stamp_, ascending
    PlPageRows::Scratch scratch_;
};
