#include "app/archive_view/pl_archive_pages.h"

#include "app/archive_view/pl_archive_record.h"
#include "app/archive_view/pl_day_bounds.h"
#include "storage/pl_storage_errors.h"

PlMsgLogDataSetBase& PlArchivePages::View(int page)
{
    switch (page) {
    case kIncoming: return archive_.Received();
    case kOutcoming: return archive_.Sent();
    case kDialog: return archive_.Dialog();
    default: return archive_.Search();
    }
}

void PlArchivePages::ApplyDialog(const std::string& name)
{
    PlMsgLogDialog& view = archive_.Dialog();
    view.Close();
    view.Filter().name = name;
    view.Open();
}

void PlArchivePages::ApplyManual(const std::string& name, const PlLocalTime& firstDay, const PlLocalTime& lastDay,
                                 const std::string& text)
{
    PlMsgLogTextSearch& view = archive_.Search();
    view.Close();
    const PlPeriod period = PlWholeDays(firstDay, lastDay);
    PlTextSearchFilter& filter = view.TextFilter();
    filter.name = name;
    filter.from = period.from;
    filter.to = period.to;
    filter.text = text;
    view.Open();
}

std::optional<std::string> PlArchivePages::Sender(int page, std::int32_t row)
{
    const auto record = PlReadArchiveRecord(View(page), row);
    return record ? std::optional(record->origin) : std::nullopt;
}

std::optional<std::string> PlArchivePages::MessageText(int page, std::int32_t row)
{
    const auto record = PlReadArchiveRecord(View(page), row);
    return record ? std::optional(record->message) : std::nullopt;
}

bool PlArchivePages::Delete(int page, std::int32_t row, std::string* problem)
{
    PlMsgLogDataSetBase& view = View(page);
    if (row < 0 || row > view.GetLastIndex())
        return false;
    try {
        view.DeleteRecord(row);  // notifies this view
    } catch (const PlDatabaseErr& error) {
        if (problem != nullptr)
            *problem = error.Message();
        return false;
    }
    for (int other = 0; other < kCount; ++other)
        if (other != page)
            View(other).Notify();
    return true;
}
