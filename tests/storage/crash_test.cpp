// Kills a writing child process at random moments, then checks that the
// file it left opens and holds every row whose Insert returned (and none
// whose Delete returned). PL_CRASH_KILLS sets the number of kills (default
// 1000); tools/storage-crash-test.sh runs many more.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <string>

#include "storage/pl_database.h"
#include "storage/pl_db_check.h"
#include "storage/pl_file_heap.h"
#include "test_support.h"

namespace {

// The child's journal line: 'I' before an insert, '+' after it, '?' before a
// delete, '-' after it, each with the row's id.
void Report(int fd, char what, long id)
{
    char line[32];
    const int n = std::snprintf(line, sizeof line, "%c%ld\n", what, id);
    if (::write(fd, line, static_cast<std::size_t>(n)) != n)
        ::_exit(4);
}

long IdOf(const PlRow& row)
{
    return std::strtol(std::string(row.FieldText(1)).c_str(), nullptr, 10);
}

[[noreturn]] void RunChild(const std::string& path, int fd, long nextId, unsigned seed)
{
    std::mt19937 rng(seed);
    PlDatabase db;
    db.SetPath(path);
    if (!db.Open())
        ::_exit(3);
    PlDbFilter all;
    auto cursor = db.CreateCursor(all);
    for (;;) {
        if (rng() % 4 == 0 && cursor->Count() > 0) {
            const auto index = static_cast<std::int32_t>(rng() % static_cast<unsigned>(cursor->Count()));
            PlRow row;
            cursor->Move(-index, PlDbSrvAbstractCursor::kFromFirst);
            cursor->GetRow(row);
            const tid where = cursor->GetTid();
            const long id = IdOf(row);
            Report(fd, '?', id);
            db.Delete(where.pageno, where.slot);
            Report(fd, '-', id);
        } else {
            const long id = nextId++;
            const std::string text(rng() % 400, static_cast<char>('a' + id % 26));
            Report(fd, 'I', id);
            db.Insert(ArchiveRow(static_cast<std::uint64_t>(id), std::to_string(id), "R", text, '1'));
            Report(fd, '+', id);
        }
    }
}

struct Journal {
    std::set<long> present;    // stored for sure
    std::set<long> uncertain;  // an insert or delete was cut: either way is right
    long nextId = 0;
    char last = 0;  // the last journal line's kind: what the kill interrupted

    void Apply(const std::string& text)
    {
        std::size_t pos = 0;
        while (pos < text.size()) {
            const std::size_t end = text.find('\n', pos);
            if (end == std::string::npos)
                break;  // a line cut by the kill cannot happen (single writes), but be safe
            const char what = text[pos];
            const long id = std::strtol(text.c_str() + pos + 1, nullptr, 10);
            last = what;
            if (what == 'I') {
                uncertain.insert(id);
                nextId = id + 1;
            } else if (what == '+') {
                uncertain.erase(id);
                present.insert(id);
            } else if (what == '?') {
                present.erase(id);
                uncertain.insert(id);
            } else if (what == '-') {
                uncertain.erase(id);
            }
            pos = end + 1;
        }
    }
};

std::string Drain(int fd)
{
    std::string text;
    char buffer[65536];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    return text;
}

}  // namespace

TEST(CrashSafety, KilledWritersLeaveEveryCompletedInsert)
{
    const char* env = std::getenv("PL_CRASH_KILLS");
    const int kills = env ? std::atoi(env) : 1000;
    ScratchDir dir;
    const std::string path = dir.File("archive.qdb");
    std::mt19937 rng(12345);
    Journal journal;
    long checkedRows = 0;
    long interrupted[4] = {};  // kills during an insert, a delete, between them, before the first
    for (int kill = 0; kill < kills; ++kill) {
        if (kill % 50 == 0) {  // a fresh file now and then keeps each cycle short
            std::remove(path.c_str());
            const long next = journal.nextId;
            journal = Journal{};
            journal.nextId = next;
        }
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        ::fcntl(fds[1], F_SETPIPE_SZ, 1 << 20);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(fds[0]);
            RunChild(path, fds[1], journal.nextId, static_cast<unsigned>(kill));
        }
        ::close(fds[1]);
        ::usleep(static_cast<useconds_t>(rng() % 4000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped by itself, status " << status;
        journal.last = 0;
        journal.Apply(Drain(fds[0]));
        ++interrupted[journal.last == 'I' ? 0 : journal.last == '?' ? 1 : journal.last == 0 ? 3 : 2];
        ::close(fds[0]);

        PlDatabase db;
        db.SetPath(path);
        ASSERT_TRUE(db.Open()) << "kill " << kill;
        PlDbFilter all;
        auto cursor = db.CreateCursor(all);
        std::set<long> seen;
        for (const ReferenceEntry& entry : ReadAll(*cursor)) {
            ASSERT_EQ(entry.row.FieldCount(), 5) << "kill " << kill;
            seen.insert(IdOf(entry.row));
        }
        for (long id : journal.present)
            ASSERT_TRUE(seen.count(id)) << "kill " << kill << " lost row " << id;
        for (long id : seen)
            ASSERT_TRUE(journal.present.count(id) || journal.uncertain.count(id))
                << "kill " << kill << " shows row " << id << " that was deleted or never stored";
        PlFileHeap heap;
        ASSERT_TRUE(heap.OpenReadOnly(path));
        const PlDbCheckReport report = PlDbCheck(heap);
        for (const PlDbFinding& finding : report.findings)
            ASSERT_FALSE(finding.damage) << "kill " << kill << ": block " << finding.block << ": " << finding.text;
        journal.present = seen;  // what the file holds is now certain
        journal.uncertain.clear();
        checkedRows += static_cast<long>(seen.size());
    }
    RecordProperty("kills", kills);
    RecordProperty("rows_checked", static_cast<int>(checkedRows));
    std::printf(
        "crash test: %d kills (%ld during Insert, %ld during Delete, %ld between changes, %ld before "
        "the first change), %ld rows checked\n",
        kills, interrupted[0], interrupted[1], interrupted[2], interrupted[3], checkedRows);
}
