#pragma once
// Helpers shared by the storage tests: archive-like rows, a scratch folder,
// and reading a cursor's whole snapshot.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "reference_scan.h"
#include "storage/pl_db_mem_cursor.h"
#include "storage/pl_row.h"

// A row of the archive's shape: received time, origin, recipient, text, type.
PlRow ArchiveRow(std::uint64_t received, const std::string& origin, const std::string& recipient,
                 const std::string& text, char type);
std::uint64_t ReceivedOf(const PlRow& row);

// Every entry of the cursor's snapshot, read through Move and GetRow.
std::vector<ReferenceEntry> ReadAll(PlDbSrvMemCursor& cursor);

// A fresh folder under the system's temporary folder, removed by the destructor.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};
