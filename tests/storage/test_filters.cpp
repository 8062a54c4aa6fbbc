#include "test_filters.h"

#include "test_support.h"

bool TimeWindowFilter::Accept(const PlRow& row)
{
    return row.FieldCount() >= 5 && row.FieldLength(4) > 0 && row.GetField(4)[0] == type;
}

bool TimeWindowFilter::Continue(const PlRow& row)
{
    return ContinueTime(row) >= cutoff;
}

std::uint64_t TimeWindowFilter::ContinueTime(const PlRow& row)
{
    if (row.FieldCount() < 5 || row.FieldLength(0) < 8)
        return UINT64_MAX;
    return ReceivedOf(row);
}

std::optional<std::uint64_t> TimeWindowFilter::ContinueThreshold() const
{
    if (!gated_)
        return std::nullopt;
    return cutoff;
}

void TimeWindowFilter::Begin()
{
    cutoff = clock_.NowLocalFileTime() - static_cast<std::uint64_t>(days) * kFileTimeDay;
}

std::optional<std::string> TimeWindowFilter::ResultKey() const
{
    return gated_ ? std::string(1, type) : std::to_string(cutoff) + "/" + type;
}

namespace {
char AsciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// ASCII case folded in place, as the archive's name comparison does for
// ASCII names (and SQLite's NOCASE does).
bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i]))
            return false;
    return true;
}
}  // namespace

bool NameFilter::Accept(const PlRow& row)
{
    if (row.FieldCount() < 5)
        return false;
    return name.empty() || SameIgnoringCase(row.FieldText(1), name) || SameIgnoringCase(row.FieldText(2), name);
}
