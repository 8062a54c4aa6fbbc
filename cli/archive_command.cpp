// `parlino-cli archive`: dump and check a message archive file. Both open
// the file for reading only, so they work while the messenger writes it.

#include <cstdio>
#include <string>
#include <vector>

#include "cli/archive_format.h"
#include "cli/archive_show.h"
#include "cli/cli_commands.h"
#include "storage/pl_database.h"
#include "storage/pl_db_check.h"
#include "storage/pl_file_heap.h"

namespace pl::cli {

namespace {

constexpr const char* kHelp =
    "usage: parlino-cli archive dump FILE [--csv]\n"
    "       parlino-cli archive check FILE\n"
    "       parlino-cli archive show FILE VIEW [--csv]   ('archive show --help' lists the views)\n"
    "\n"
    "dump   prints every row in the order a cursor visits them (newest first).\n"
    "       Rows of five fields are shown as archive messages (received time,\n"
    "       received/sent, origin, recipient, text), other rows as their raw\n"
    "       fields. --csv prints index,page,slot,received,type,origin,recipient,\n"
    "       text; a raw row has type \"raw\" and its fields in the text column.\n"
    "check  verifies the header, the space-map chain, page types, slot and row\n"
    "       directories, and names each damaged page. Exit status 1 on damage.\n"
    "\n"
    "show   lists the messages of one view of the archive, newest first.\n"
    "\n"
    "All three only read the file and may run while the messenger has it open.\n"
    "exit status: 0 success, 1 the file cannot be opened or check found damage,\n"
    "  2 bad arguments\n";

// A file that cannot be used: the failure status, as for every command.
int Fail(const std::string& text)
{
    std::fprintf(stderr, "parlino-cli archive: %s\n", text.c_str());
    return kExitFailure;
}

int Dump(const std::string& path, bool csv)
{
    PlDatabase db;
    db.SetPath(path);
    if (!db.OpenReadOnly())
        return Fail("cannot open " + path);
    PlDbFilter all;
    const auto cursor = db.CreateCursor(all);
    if (csv)
        std::fputs(CsvHeader().c_str(), stdout);
    std::int32_t index = 0;
    for (bool ok = cursor->Move(0, PlDbSrvAbstractCursor::kFromFirst); ok; ok = cursor->Move(1, 0), ++index) {
        PlRow row;
        cursor->GetRow(row);
        const tid where = cursor->GetTid();
        const std::string text = csv ? FormatCsv(index, where.pageno, where.slot, row)
                                     : FormatReadable(index, where.pageno, where.slot, row);
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
    if (!csv)
        std::printf("%d rows\n", index);
    return 0;
}

int Check(const std::string& path)
{
    PlFileHeap heap;
    if (!heap.OpenReadOnly(path))
        return Fail("cannot open " + path);
    const PlDbCheckReport report = PlDbCheck(heap);
    std::printf("%s: %u blocks, %u data pages, %llu rows\n", path.c_str(), report.blocks, report.dataPages,
                static_cast<unsigned long long>(report.rows));
    std::vector<std::uint32_t> damaged;
    for (const PlDbFinding& f : report.findings) {
        std::printf("block %u: %s: %s\n", f.block, f.damage ? "damage" : "note", f.text.c_str());
        if (f.damage && (damaged.empty() || damaged.back() != f.block))
            damaged.push_back(f.block);
    }
    if (damaged.empty()) {
        std::printf("no damage found\n");
        return 0;
    }
    std::printf("damaged pages:");
    for (std::uint32_t b : damaged)
        std::printf(" %u", b);
    std::printf("\n");
    return 1;
}

}  // namespace

int ArchiveCommand(std::span<const std::string> args)
{
    if (!args.empty() && args.front() == "show")
        return ArchiveShowCommand(args.subspan(1));
    std::vector<std::string> words;
    bool csv = false;
    for (const std::string& word : args) {
        if (word == "--help" || word == "-h") {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (word == "--csv")
            csv = true;
        else
            words.push_back(word);
    }
    if (words.size() == 2 && words[0] == "dump")
        return Dump(words[1], csv);
    if (words.size() == 2 && words[0] == "check" && !csv)
        return Check(words[1]);
    std::fputs(kHelp, stderr);
    return kExitUsage;
}

}  // namespace pl::cli
