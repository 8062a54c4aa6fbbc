#pragma once
// PlDataSet: a numbered list of records whose fields are read and written by
// name (compared byte for byte), and which notifies its observers when it
// changes. Concrete data sets keep a current record index, a marker for the
// views that moves no cursor.

#include <cstdint>
#include <string>

#include "storage/pl_observer.h"
#include "storage/pl_value.h"

class PlDataSet : public PlObservationSubject {
public:
    virtual bool SetCurrent(std::int32_t index) = 0;
    // Index of the last record, −1 when there is none.
    virtual std::int32_t GetLastIndex() = 0;
    virtual std::int32_t GetCurrent() = 0;
    virtual PlValue& ReadValue(PlValue& value, std::int32_t index, const std::string& name) = 0;
    virtual void WriteValue(std::int32_t index, const std::string& name, const PlValue& value) = 0;
    // Appends an empty record and returns its index.
    virtual std::int32_t InsertRecord() = 0;
    virtual void DeleteRecord(std::int32_t index) = 0;
    virtual void ClearRecords() = 0;

    std::int32_t RecordCount() { return GetLastIndex() + 1; }
    bool First() { return SetCurrent(0); }
    void Next();
    void Prev();
    PlValue GetValue(std::int32_t index, const std::string& name);
    // Writes without notifying.
    void SetValue(std::int32_t index, const std::string& name, const PlValue& value);
    // The changes that notify: InsertRecord, DeleteRecord, ClearRecords, each
    // followed by Notify.
    std::int32_t Append();
    void Delete(std::int32_t index);
    void ClearAll();
};
