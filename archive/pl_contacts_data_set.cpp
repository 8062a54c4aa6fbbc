#include "archive/pl_contacts_data_set.h"

#include <charconv>

#include "archive/pl_contacts_file.h"

namespace {

std::int32_t IntegerOf(const PlValue& value)
{
    if (value.GetTag() == PlValue::kScalar)
        return static_cast<std::int32_t>(value.Integer());
    std::int32_t number = 0;
    if (value.GetTag() == PlValue::kText)
        std::from_chars(value.Text().data(), value.Text().data() + value.Text().size(), number);
    return number;
}

std::string TextOf(const PlValue& value)
{
    return value.GetTag() == PlValue::kText ? value.Text() : std::string{};
}

}  // namespace

bool PlContactsDataSet::Load()
{
    ClearAll();
    std::vector<PlContactRecord> records;
    const bool read = PlReadContactsFile(path_, records);
    for (const PlContactRecord& record : records)
        AppendRecord(record);
    return read;
}

bool PlContactsDataSet::Save()
{
    return PlWriteContactsFile(path_, records_);
}

bool PlContactsDataSet::SetCurrent(std::int32_t index)
{
    current_ = index;
    return true;
}

PlValue& PlContactsDataSet::ReadValue(PlValue& value, std::int32_t index, const std::string& name)
{
    if (!Valid(index))
        return value;
    const PlContactRecord& record = records_[static_cast<std::size_t>(index)];
    if (name == "Type")
        value.SetInteger(static_cast<std::uint32_t>(record.type));
    else if (name == "GroupOpen")
        value.SetInteger(static_cast<std::uint32_t>(record.groupOpen));
    else if (name == "RealName")
        value.SetText(record.realName);
    else if (name == "DisplayName")
        value.SetText(record.displayName);
    else if (name == "GroupName")
        value.SetText(record.groupName);
    else
        value.SetText({});
    return value;
}

void PlContactsDataSet::WriteValue(std::int32_t index, const std::string& name, const PlValue& value)
{
    if (!Valid(index))
        return;
    PlContactRecord& record = records_[static_cast<std::size_t>(index)];
    if (name == "Type")
        record.type = IntegerOf(value);
    else if (name == "GroupOpen")
        record.groupOpen = IntegerOf(value);
    else if (name == "RealName")
        record.realName = TextOf(value);
    else if (name == "DisplayName")
        record.displayName = TextOf(value);
    else if (name == "GroupName")
        record.groupName = TextOf(value);
}

std::int32_t PlContactsDataSet::InsertRecord()
{
    records_.emplace_back();
    current_ = GetLastIndexConst();
    return current_;
}

void PlContactsDataSet::DeleteRecord(std::int32_t index)
{
    if (Valid(index))
        records_.erase(records_.begin() + index);
}

std::int32_t PlContactsDataSet::AppendRecord(const PlContactRecord& record)
{
    const std::int32_t index = Append();
    records_[static_cast<std::size_t>(index)] = record;
    return index;
}
