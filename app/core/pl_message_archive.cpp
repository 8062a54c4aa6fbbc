#include "app/core/pl_message_archive.h"

#include <algorithm>
#include <functional>

#include "archive/pl_archive_row.h"
#include "storage/pl_storage_errors.h"

namespace {

std::int32_t ShownDays(std::int32_t days)
{
    return std::max<std::int32_t>(days, 1);  // 0 and 1 both show one day
}

}  // namespace

PlMessageArchive::PlMessageArchive(const PlClock& clock) : received_(clock), sent_(clock), dialog_(clock) {}

bool PlMessageArchive::Open(const std::string& path, std::int32_t showDays)
{
    database_.SetPath(path);
    open_ = database_.Open();
    PlMsgLogDataSetBase* views[] = {&received_, &sent_, &dialog_, &search_};
    for (PlMsgLogDataSetBase* view : views)
        view->SetDatabase(&database_);
    received_.Filter().days = sent_.Filter().days = dialog_.Filter().days = ShownDays(showDays);
    if (open_) {
        received_.Open();
        sent_.Open();
        dialog_.Open();
    }
    return open_;
}

void PlMessageArchive::Close()
{
    search_.Close();
    dialog_.Close();
    sent_.Close();
    received_.Close();
    database_.Close();
    open_ = false;
}

bool PlMessageArchive::StoreReceived(const CMsg& msg, std::uint64_t localFileTime, std::string* problem)
{
    return Store([&] { return pl::archive::ReceivedRow(msg, localFileTime); }, problem);
}

bool PlMessageArchive::StoreSent(const CMsg& msg, std::uint64_t localFileTime, std::string* problem)
{
    return Store([&] { return pl::archive::SentRow(msg, localFileTime); }, problem);
}

bool PlMessageArchive::Store(const std::function<PlRow()>& row, std::string* problem)
{
    std::string reason;
    try {
        if (open_) {
            database_.Insert(row());
            return true;
        }
        reason = "the archive is not open";
    } catch (const PlDatabaseErr& error) {
        reason = error.Message();
    }
    if (problem != nullptr)
        *problem = reason;
    return false;
}

// The search is notified too: its snapshot follows every change of the
// archive, and its lists' scroll ranges should as well.
void PlMessageArchive::NotifyReceived()
{
    received_.Notify();
    dialog_.Notify();
    search_.Notify();
}

void PlMessageArchive::NotifySent()
{
    sent_.Notify();
    dialog_.Notify();
    search_.Notify();
}

void PlMessageArchive::SetShowDays(std::int32_t days)
{
    ReopenWindow(received_, received_.Filter(), days);
    ReopenWindow(sent_, sent_.Filter(), days);
    ReopenWindow(dialog_, dialog_.Filter(), days);
}

void PlMessageArchive::ReopenWindow(PlMsgLogDataSetBase& view, PlTimeWindowFilter& filter, std::int32_t days)
{
    view.Close();
    filter.days = ShownDays(days);
    if (open_)
        view.Open();
}
