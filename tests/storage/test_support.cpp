#include "test_support.h"

#include <cstdlib>
#include <cstring>

PlRow ArchiveRow(std::uint64_t received, const std::string& origin, const std::string& recipient,
                 const std::string& text, char type)
{
    PlRow row;
    std::uint8_t time[8];
    for (int i = 0; i < 8; ++i)
        time[i] = static_cast<std::uint8_t>(received >> (8 * i));
    row.SetField(0, time, 8);
    row.SetField(1, origin);
    row.SetField(2, recipient);
    row.SetField(3, text);
    row.SetField(4, std::string(1, type));
    return row;
}

std::uint64_t ReceivedOf(const PlRow& row)
{
    std::uint64_t t = 0;
    for (int i = 7; i >= 0; --i)
        t = (t << 8) | row.GetField(0)[i];
    return t;
}

std::vector<ReferenceEntry> ReadAll(PlDbSrvMemCursor& cursor)
{
    std::vector<ReferenceEntry> entries;
    for (bool ok = cursor.Move(0, PlDbSrvAbstractCursor::kFromFirst); ok; ok = cursor.Move(1, 0)) {
        ReferenceEntry entry{0, 0, PlRow()};
        cursor.GetRow(entry.row);
        const tid where = cursor.GetTid();
        entry.pageno = where.pageno;
        entry.slot = where.slot;
        entries.push_back(entry);
    }
    return entries;
}

ScratchDir::ScratchDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "pl_storage_XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        std::abort();
    path_ = pattern;
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}
