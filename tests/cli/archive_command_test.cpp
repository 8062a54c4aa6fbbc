// parlino-cli archive: the record formats, and dump and check run on a file
// that another process holds open for writing.

#include "run_cli.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "../storage/test_support.h"
#include "cli/archive_format.h"
#include "storage/pl_database.h"

namespace {

using namespace pl::cli;

constexpr std::uint64_t kNoonFileTime = 134097552000000000ULL;  // 2025-12-09 12:00:00 as FILETIME

}  // namespace

TEST(ArchiveFormat, TimesQuotesAndControlCharacters)
{
    EXPECT_EQ(FormatFileTime(kNoonFileTime + 1234567), "2025-12-09 12:00:00.123");
    EXPECT_EQ(CsvQuote("say \"hi\", ok"), "\"say \"\"hi\"\", ok\"");
    EXPECT_EQ(Printable(std::string("a\x01\n", 3)), "a\\x01\n");
    PlRow raw;
    raw.SetField(0, "x");
    raw.SetField(1, std::string("\0", 1));
    EXPECT_EQ(FormatCsv(3, 2, 1, raw), "3,2,1,,raw,,,\"[0] \"\"x\"\", [1] \"\"\\x00\"\"\"\n");
}

TEST(ArchiveCommand, DumpsNewestFirstAndChecksWhileTheFileIsHeld)
{
    ScratchDir dir;
    const std::string path = dir.File("msgarchive.qdb");
    PlDatabase db;
    db.SetPath(path);
    ASSERT_TRUE(db.Open());
    db.Insert(ArchiveRow(kNoonFileTime, "ALICE", "BOB", "first\r\nline two", '1'));
    db.Insert(ArchiveRow(kNoonFileTime + 10000000, "BOB", "ALICE", "a \"quoted\", reply", '2'));
    PlRow raw;
    raw.SetField(0, "odd");
    db.Insert(raw);

    const CliResult dump = RunCli("archive dump " + path);
    EXPECT_EQ(dump.status, 0);
    EXPECT_EQ(dump.output,
              "#0 (2:2)  raw row, 1 fields\n"
              "    [0] \"odd\"\n"
              "#1 (2:1)  2025-12-09 12:00:01.000  sent  from BOB to ALICE\n"
              "    a \"quoted\", reply\n"
              "#2 (2:0)  2025-12-09 12:00:00.000  received  from ALICE to BOB\n"
              "    first\n"
              "    line two\n"
              "3 rows\n");
    const CliResult csv = RunCli("archive dump --csv " + path);
    EXPECT_EQ(csv.status, 0);
    EXPECT_NE(
        csv.output.find("1,2,1,\"2025-12-09 12:00:01.000\",\"2\",\"BOB\",\"ALICE\",\"a \"\"quoted\"\", reply\"\n"),
        std::string::npos)
        << csv.output;

    const CliResult check = RunCli("archive check " + path);
    EXPECT_EQ(check.status, 0) << check.output;
    EXPECT_NE(check.output.find("3 blocks, 1 data pages, 3 rows"), std::string::npos);
    db.Close();

    std::FILE* file = std::fopen(path.c_str(), "r+b");
    std::fseek(file, 2 * 4096 + 4092, SEEK_SET);
    std::fputc(40, file);
    std::fclose(file);
    const CliResult damaged = RunCli("archive check " + path);
    EXPECT_EQ(damaged.status, 1);
    EXPECT_NE(damaged.output.find("damaged pages: 2"), std::string::npos) << damaged.output;

    EXPECT_EQ(RunCli("archive dump " + dir.File("missing")).status, 1);
    EXPECT_EQ(RunCli("nosuchcommand").status, 2);
    EXPECT_EQ(RunCli("--help").status, 0);
}
