#include "bench_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "storage/pl_database.h"
#include "test_support.h"

namespace {

const char* const kNames[] = {"ALICE",  "BOB",   "CAROL", "DAVE",    "EVE",    "FRANK",  "GRACE",
                              "HEIDI",  "IVAN",  "JUDY",  "MALLORY", "NIAJ",   "OLIVIA", "PEGGY",
                              "RUPERT", "SYBIL", "TRENT", "VICTOR",  "WALTER", "YVONNE"};

ScratchDir& Dir()
{
    static ScratchDir dir;
    return dir;
}

void Check(int rc, sqlite3* db)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(sqlite3_errmsg(db));
}

}  // namespace

BenchRow MakeBenchRow(int i, int total)
{
    constexpr std::uint64_t kYear = 365ULL * 864000000000ULL;
    BenchRow row;
    row.received = kBenchNow - kYear + kYear / static_cast<std::uint64_t>(total) * static_cast<std::uint64_t>(i);
    row.origin = kNames[(i * 7) % 20];
    row.recipient = kNames[(i * 11 + 3) % 20];
    row.text = "Message " + std::to_string(i) + ": the meeting moved to room " + std::to_string(i % 97) +
               ", please bring the printed agenda and the notes of last week.";
    row.type = i % 2 ? '1' : '2';
    return row;
}

PlRow ToPlRow(const BenchRow& row)
{
    return ArchiveRow(row.received, row.origin, row.recipient, row.text, row.type);
}

std::string ScratchPath(const std::string& name)
{
    return Dir().File(name);
}

const std::string& OurFile()
{
    static const std::string path = [] {
        const std::string p = ScratchPath("archive.qdb");
        PlDatabase db;
        db.SetPath(p);
        if (!db.Open())
            throw std::runtime_error("cannot create " + p);
        for (int i = 0; i < kBenchRows; ++i)
            db.Insert(ToPlRow(MakeBenchRow(i)));
        return p;
    }();
    return path;
}

sqlite3* OpenSqlite(const std::string& path)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK)
        throw std::runtime_error("cannot open " + path);
    Check(sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=OFF;", nullptr, nullptr, nullptr), db);
    return db;
}

void CreateSqliteTable(sqlite3* db)
{
    Check(sqlite3_exec(db,
                       "CREATE TABLE archive(received INTEGER, origin TEXT, recipient TEXT, message TEXT, "
                       "type TEXT)",
                       nullptr, nullptr, nullptr),
          db);
}

sqlite3_stmt* Prepare(sqlite3* db, const char* sql)
{
    sqlite3_stmt* statement = nullptr;
    Check(sqlite3_prepare_v2(db, sql, -1, &statement, nullptr), db);
    return statement;
}

void InsertSqlite(sqlite3_stmt* insert, const BenchRow& row)
{
    sqlite3_bind_int64(insert, 1, static_cast<sqlite3_int64>(row.received));
    sqlite3_bind_text(insert, 2, row.origin.c_str(), static_cast<int>(row.origin.size()), SQLITE_STATIC);
    sqlite3_bind_text(insert, 3, row.recipient.c_str(), static_cast<int>(row.recipient.size()), SQLITE_STATIC);
    sqlite3_bind_text(insert, 4, row.text.c_str(), static_cast<int>(row.text.size()), SQLITE_STATIC);
    sqlite3_bind_text(insert, 5, &row.type, 1, SQLITE_STATIC);
    if (sqlite3_step(insert) != SQLITE_DONE)
        throw std::runtime_error("sqlite insert failed");
    sqlite3_reset(insert);
}

const std::string& SqliteFile()
{
    static const std::string path = [] {
        const std::string p = ScratchPath("archive.sqlite");
        sqlite3* db = OpenSqlite(p);
        CreateSqliteTable(db);
        Check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
        sqlite3_stmt* insert = Prepare(db, "INSERT INTO archive VALUES(?,?,?,?,?)");
        for (int i = 0; i < kBenchRows; ++i)
            InsertSqlite(insert, MakeBenchRow(i));
        sqlite3_finalize(insert);
        Check(sqlite3_exec(db, "COMMIT; PRAGMA wal_checkpoint(TRUNCATE);", nullptr, nullptr, nullptr), db);
        sqlite3_close(db);
        return p;
    }();
    return path;
}
