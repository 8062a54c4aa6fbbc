#include "storage/pl_data_set.h"

void PlDataSet::Next()
{
    if (GetCurrent() < GetLastIndex())
        SetCurrent(GetCurrent() + 1);
}

void PlDataSet::Prev()
{
    if (GetCurrent() >= 1)
        SetCurrent(GetCurrent() - 1);
}

PlValue PlDataSet::GetValue(std::int32_t index, const std::string& name)
{
    PlValue value;
    return ReadValue(value, index, name);
}

void PlDataSet::SetValue(std::int32_t index, const std::string& name, const PlValue& value)
{
    WriteValue(index, name, value);
}

std::int32_t PlDataSet::Append()
{
    const std::int32_t index = InsertRecord();
    Notify();
    return index;
}

void PlDataSet::Delete(std::int32_t index)
{
    DeleteRecord(index);
    Notify();
}

void PlDataSet::ClearAll()
{
    ClearRecords();
    Notify();
}
