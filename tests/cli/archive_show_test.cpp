// parlino-cli archive show and contacts: the archive's views and the contact
// tree as the command prints them, and what they refuse.

#include "run_cli.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "../storage/test_support.h"
#include "archive/pl_archive_row.h"
#include "archive/pl_archive_time.h"
#include "storage/pl_clock.h"
#include "storage/pl_database.h"

namespace {

constexpr std::uint64_t kHour = kFileTimeDay / 24;

bool Has(const CliResult& result, const std::string& text)
{
    return result.output.find(text) != std::string::npos;
}

// An archive with messages of the last days and of one fixed day.
class ArchiveShow : public ::testing::Test {
protected:
    ArchiveShow() : path(dir.File("msgarchive.qdb"))
    {
        const std::uint64_t now = PlSystemClock().NowLocalFileTime();
        const std::uint64_t day = PlFileTimeFromLocal({2025, 12, 9});
        PlDatabase db;
        db.SetPath(path);
        EXPECT_TRUE(db.Open());
        db.Insert(pl::archive::MakeRow(day - 1, "ALICE", "BOB", "day before", '1'));
        db.Insert(pl::archive::MakeRow(day, "ALICE", "BOB", "day start", '1'));
        db.Insert(pl::archive::MakeRow(day + kFileTimeDay - kFileTimeMillisecond, "BOB", "CAROL", "day end", '2'));
        db.Insert(pl::archive::MakeRow(day + kFileTimeDay, "ALICE", "BOB", "day after", '1'));
        db.Insert(pl::archive::MakeRow(now - 100 * kHour, "ALICE", "BOB", "four days ago", '1'));
        db.Insert(pl::archive::MakeRow(now - 2 * kHour, "BOB", "Müller", "sent lately", '2'));
        db.Insert(pl::archive::MakeRow(now - kHour, "ALICE", "BOB", "line one\r\nline two", '1'));
        db.Close();
    }

    ScratchDir dir;
    std::string path;
};

}  // namespace

TEST_F(ArchiveShow, TimeWindowViewsListNewestFirst)
{
    CliResult received = RunCli("archive show " + path + " --received");
    EXPECT_EQ(received.status, 0) << received.output;
    EXPECT_TRUE(Has(received, "received  from ALICE to BOB\n    line one\n    line two\n1 messages\n"))
        << received.output;

    received = RunCli("archive show " + path + " --received --days 5");
    EXPECT_LT(received.output.find("line one"), received.output.find("four days ago")) << received.output;
    EXPECT_TRUE(Has(received, "2 messages"));

    const CliResult sent = RunCli("archive show " + path + " --sent --csv");
    EXPECT_TRUE(Has(sent, "index,received,type,origin,recipient,text\n0,")) << sent.output;
    EXPECT_TRUE(Has(sent, ",\"sent\",\"BOB\",\"Müller\",\"sent lately\"\n"));
    EXPECT_FALSE(Has(sent, "line one"));

    const CliResult dialog = RunCli("archive show " + path + " --dialog mÜller --days 1");
    EXPECT_TRUE(Has(dialog, "sent lately")) << dialog.output;
    EXPECT_TRUE(Has(dialog, "1 messages"));
}

TEST_F(ArchiveShow, BetweenTakesWholeDaysInclusive)
{
    CliResult between = RunCli("archive show " + path + " --between 2025-12-09 2025-12-09 --csv");
    EXPECT_EQ(between.status, 0) << between.output;
    EXPECT_TRUE(Has(between, "0,2025-12-09 23:59:59.999,\"sent\",\"BOB\",\"CAROL\",\"day end\"\n")) << between.output;
    EXPECT_TRUE(Has(between, "1,2025-12-09 00:00:00.000,\"received\",\"ALICE\",\"BOB\",\"day start\"\n"));
    EXPECT_FALSE(Has(between, "day before"));
    EXPECT_FALSE(Has(between, "day after"));

    between = RunCli("archive show " + path + " --between 2025-12-08 2025-12-10 --name carol");
    EXPECT_TRUE(Has(between, "day end\n1 messages")) << between.output;
}

TEST_F(ArchiveShow, RefusesWhatMakesNoSense)
{
    for (const char* bad : {"", "--days 3", "--received --sent", "--received --days 0", "--received --days x",
                            "--between 2025-02-30 2025-03-01", "--between 2025-03-02 2025-03-01", "--dialog",
                            "--received --name BOB", "--between 2025-03-01 2025-03-02 --days 2"}) {
        const CliResult result = RunCli("archive show " + path + " " + bad);
        EXPECT_EQ(result.status, 2) << bad << ": " << result.output;
    }
    EXPECT_EQ(RunCli("archive show " + dir.File("none/x.qdb") + " --received").status, 1);
}

TEST(ContactsCommand, PrintsTheSortedTree)
{
    ScratchDir dir;
    const std::string path = dir.File("contacts.txt");
    std::ofstream(path, std::ios::binary) << "1;bob;Bob;Team;1\r\n1;al;Al;Team;1\r\nx;WORKGROUP;Office;;0\r\n";
    const CliResult result = RunCli("contacts " + path);
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(result.output,
              "[+] (no group)\n"
              "    Office  <WORKGROUP>  domain or workgroup\n"
              "[-] Team\n"
              "    Al  <al>  user or computer\n"
              "    Bob  <bob>  user or computer\n");
    EXPECT_EQ(RunCli("contacts " + dir.File("missing.txt")).status, 1);
    EXPECT_EQ(RunCli("contacts").status, 2);
}
