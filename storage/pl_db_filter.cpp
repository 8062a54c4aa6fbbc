#include "storage/pl_db_filter.h"

bool PlDbFilter::Accept(const PlRow&)
{
    return true;
}
bool PlDbFilter::Continue(const PlRow&)
{
    return true;
}
void PlDbFilter::Begin() {}
std::optional<std::string> PlDbFilter::ResultKey() const
{
    return std::nullopt;
}
std::optional<std::uint64_t> PlDbFilter::ContinueThreshold() const
{
    return std::nullopt;
}
std::uint64_t PlDbFilter::ContinueTime(const PlRow&)
{
    return UINT64_MAX;
}
