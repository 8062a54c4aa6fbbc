#pragma once
// PlContactsDataSet: the contact records in memory, in file order, read from
// and written to the contacts file. Fields: "Type" and "GroupOpen"
// (integers), "RealName", "DisplayName", "GroupName" (text).
//
// Threads: used from one thread (the user interface).

#include <string>
#include <vector>

#include "archive/pl_contact_record.h"
#include "storage/pl_data_set.h"

class PlContactsDataSet : public PlDataSet {
public:
    void SetPath(std::string path) { path_ = std::move(path); }
    const std::string& Path() const { return path_; }

    // Replaces the records by the file's (notifying once for the clearing
    // and once per line). A file that cannot be read leaves the list empty
    // and returns false.
    bool Load();
    // Writes the file atomically; false when it could not be written (the
    // old file then stays as it was).
    bool Save();

    bool SetCurrent(std::int32_t index) override;
    std::int32_t GetCurrent() override { return current_; }
    std::int32_t GetLastIndex() override { return static_cast<std::int32_t>(records_.size()) - 1; }
    // An index without a record leaves the value as it was.
    PlValue& ReadValue(PlValue& value, std::int32_t index, const std::string& name) override;
    // An index without a record changes nothing.
    void WriteValue(std::int32_t index, const std::string& name, const PlValue& value) override;
    std::int32_t InsertRecord() override;
    void DeleteRecord(std::int32_t index) override;
    void ClearRecords() override { records_.clear(); }

    const std::vector<PlContactRecord>& Records() const { return records_; }
    // Append followed by the five fields of `record`.
    std::int32_t AppendRecord(const PlContactRecord& record);

private:
    bool Valid(std::int32_t index) const { return index >= 0 && index <= GetLastIndexConst(); }
    std::int32_t GetLastIndexConst() const { return static_cast<std::int32_t>(records_.size()) - 1; }

    std::int32_t current_ = 0;
    std::vector<PlContactRecord> records_;
    std::string path_;
};
