#include "archive/pl_msg_log_filters.h"

#include <limits>

#include "archive/pl_archive_row.h"
#include "archive/pl_archive_time.h"
#include "platform/text/pl_case.h"

namespace {

// Rows handed to a filter are whole (their field directory lies inside
// them, PlDbFilter), so the schema is the field count.
bool HasFields(const PlRow& row)
{
    return row.FieldCount() >= pl::archive::kFieldCount;
}

bool NamedInRow(const PlRow& row, const std::string& name)
{
    return pl::EqualsIgnoreCase(row.FieldText(pl::archive::kOriginField), name) ||
           pl::EqualsIgnoreCase(row.FieldText(pl::archive::kRecipientField), name);
}

}  // namespace

const PlClock& PlDefaultClock()
{
    static const PlSystemClock clock;
    return clock;
}

std::uint64_t PlWindowCutoff(std::uint64_t now, std::int32_t days)
{
    // The window's length in FILETIME units, formed in floating point.
    const double span = static_cast<double>(days) * 86400000.0 * static_cast<double>(kFileTimeMillisecond);
    std::uint64_t cutoff = 0;
    if (span >= 0) {
        cutoff = span >= static_cast<double>(now) ? 0 : now - static_cast<std::uint64_t>(span);
    } else {
        const double later = static_cast<double>(now) - span;
        cutoff = later >= 1.8e19 ? std::numeric_limits<std::uint64_t>::max() : static_cast<std::uint64_t>(later);
    }
    return cutoff - cutoff % kFileTimeMillisecond;
}

bool PlTimeWindowFilter::Continue(const PlRow& row)
{
    return ContinueTime(row) >= cutoff;
}

std::uint64_t PlTimeWindowFilter::ContinueTime(const PlRow& row)
{
    if (!HasFields(row))
        return UINT64_MAX;
    return pl::archive::ReceivedTime(row).value_or(UINT64_MAX);
}

void PlTimeWindowFilter::Begin()
{
    cutoff = PlWindowCutoff(clock_->NowLocalFileTime(), days);
}

std::optional<std::string> PlTimeWindowFilter::ResultKey() const
{
    return std::string();
}

bool FilterIncoming2::Accept(const PlRow& row)
{
    return HasFields(row) && pl::archive::RowType(row) == pl::archive::kReceivedType;
}

bool FilterOutcoming::Accept(const PlRow& row)
{
    return HasFields(row) && pl::archive::RowType(row) == pl::archive::kSentType;
}

bool FilterDialog::Accept(const PlRow& row)
{
    if (!HasFields(row))
        return false;
    return name.empty() || NamedInRow(row, name);
}

void FilterDialog::Begin()
{
    PlTimeWindowFilter::Begin();
    name = pl::UpperCase(name);
}

std::optional<std::string> FilterDialog::ResultKey() const
{
    return name;
}

bool FilterManual::Accept(const PlRow& row)
{
    if (!HasFields(row))
        return false;
    const auto received = pl::archive::ReceivedTime(row);
    if (!received || *received < from || *received > to)
        return false;
    return name.empty() || NamedInRow(row, name);
}

std::optional<std::string> FilterManual::ResultKey() const
{
    return name + "/" + std::to_string(from) + "/" + std::to_string(to);
}
