#include "app/archive_view/pl_archive_record.h"

#include "archive/pl_archive_row.h"

namespace {

std::string TextField(PlDataSet& dataSet, std::int32_t index, std::string_view name)
{
    PlValue value;
    dataSet.ReadValue(value, index, std::string(name));
    return value.GetTag() == PlValue::kText ? value.Text() : std::string();
}

}  // namespace

std::optional<PlArchiveRecord> PlReadArchiveRecord(PlDataSet& dataSet, std::int32_t index)
{
    if (index < 0 || index > dataSet.GetLastIndex())
        return std::nullopt;
    using namespace pl::archive;
    PlArchiveRecord record;
    PlValue received;
    dataSet.ReadValue(received, index, std::string(kReceivedName));
    if (received.GetTag() == PlValue::kScalar)
        record.received = received.Time();
    record.origin = TextField(dataSet, index, kOriginName);
    record.recipient = TextField(dataSet, index, kRecipientName);
    record.message = TextField(dataSet, index, kMessageName);
    record.type = TextField(dataSet, index, kTypeName);
    return record;
}
