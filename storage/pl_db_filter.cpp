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
