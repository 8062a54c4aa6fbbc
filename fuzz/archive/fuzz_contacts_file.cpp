// Loads arbitrary bytes as a contacts file: parsing, the contact tree and its
// rows must take anything, and every record the file can keep must come back
// unchanged from its own line.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "archive/pl_contacts_file.h"
#include "archive/pl_contacts_manager.h"

namespace {

bool Keepable(const std::string& name)
{
    return name.find_first_of(";\r\n") == std::string::npos;
}

void CheckRoundTrip(const PlContactRecord& record)
{
    if (!Keepable(record.realName) || !Keepable(record.displayName) || !Keepable(record.groupName))
        return;
    const std::string line = PlFormatContactLine(record);
    const auto back = PlParseContactsText(line);
    if (back.size() != 1 || back[0] != record)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    PlContactsDataSet set;
    for (const PlContactRecord& record : PlParseContactsText(text)) {
        if (record.type != kContactUser && record.type != kContactWorkgroup)
            std::abort();
        CheckRoundTrip(record);
        set.AppendRecord(record);
    }
    PlContactsManager manager;
    manager.SetDataSet(&set);
    manager.Load(false);
    for (std::int32_t pass = 0; pass < 2; ++pass) {
        const std::int32_t rows = manager.GetRowCount();
        for (std::int32_t row = 0; row <= rows; ++row) {
            manager.GetRowText(row);
            if ((manager.GetRowImage(row) == -1) != (row == rows))
                std::abort();
        }
        for (std::int32_t row = rows - 1; row >= 0; row -= 3)
            manager.Toggle(row);
    }
    const std::int32_t rows = manager.GetRowCount();
    if (const auto item = manager.ItemAt(rows > 0 ? rows - 1 : 0); item && !item->member.expired())
        manager.RemoveContact(item->member);
    return 0;
}
