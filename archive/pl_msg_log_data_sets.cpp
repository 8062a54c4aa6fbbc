#include "archive/pl_msg_log_data_sets.h"

#include "archive/pl_archive_row.h"
#include "storage/pl_test_hook.h"

PlMsgLogDataSetBase::~PlMsgLogDataSetBase()
{
    Close();
}

void PlMsgLogDataSetBase::Open()
{
    if (database_ == nullptr)
        return;
    Close();
    cursor_ = database_->CreateCursor(*filter_);
    Notify();
}

void PlMsgLogDataSetBase::Close()
{
    cursor_.reset();
}

bool PlMsgLogDataSetBase::SetCurrent(std::int32_t index)
{
    current_ = index;
    return true;
}

std::int32_t PlMsgLogDataSetBase::GetLastIndex()
{
    return cursor_ ? cursor_->Count() - 1 : -1;
}

bool PlMsgLogDataSetBase::ReadRecord(std::int32_t index, PlRow& row, tid& where)
{
    return cursor_ && cursor_->ReadRecord(index, row, where);
}

PlValue& PlMsgLogDataSetBase::ReadValue(PlValue& value, std::int32_t index, const std::string& name)
{
    PlRow row;
    tid where;
    if (!ReadRecord(index, row, where) || !pl::archive::HasSchema(row))
        return value;
    using namespace pl::archive;
    if (name == kReceivedName) {
        const auto time = ReceivedTime(row);
        if (time)
            value.SetTime(static_cast<std::uint32_t>(*time), static_cast<std::uint32_t>(*time >> 32));
        else
            value.Clear();
    } else if (name == kOriginName) {
        value.SetText(row.FieldText(kOriginField));
    } else if (name == kRecipientName) {
        value.SetText(row.FieldText(kRecipientField));
    } else if (name == kMessageName) {
        value.SetText(row.FieldText(kMessageField));
    } else if (name == kTypeName) {
        value.SetText(row.FieldText(kTypeField));
    } else {
        value.SetText({});
    }
    return value;
}

void PlMsgLogDataSetBase::WriteValue(std::int32_t, const std::string&, const PlValue&) {}

std::int32_t PlMsgLogDataSetBase::InsertRecord()
{
    return -1;
}

void PlMsgLogDataSetBase::DeleteRecord(std::int32_t index)
{
    PL_TEST_HOOK("PlMsgLogDataSetBase::DeleteRecord before the read");
    PlRow row;
    tid where;
    if (!ReadRecord(index, row, where))
        return;
    PL_TEST_HOOK("PlMsgLogDataSetBase::DeleteRecord between the read and the delete");
    database_->Delete(where, row);
    PL_TEST_HOOK("PlMsgLogDataSetBase::DeleteRecord after the delete");
    Notify();
}
