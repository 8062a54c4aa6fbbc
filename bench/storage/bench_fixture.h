#pragma once
// The data the storage benchmarks share: 100,000 archive-like rows (five
// fields, about 150 bytes, times spread over a year in append order), written
// once per run to our file format and to an SQLite table of the same content.

#include <sqlite3.h>

#include <cstdint>
#include <string>

#include "storage/pl_row.h"

inline constexpr int kBenchRows = 100000;
inline constexpr std::uint64_t kBenchNow = 134097552000000000ULL;  // the fake clock's start

struct BenchRow {
    std::uint64_t received;
    std::string origin;
    std::string recipient;
    std::string text;
    char type;
};

// Row i of `total` rows spread evenly over the year before kBenchNow.
BenchRow MakeBenchRow(int i, int total = kBenchRows);
PlRow ToPlRow(const BenchRow& row);

// Paths of the prepared files (built on first use, removed at exit).
const std::string& OurFile();
const std::string& SqliteFile();
std::string ScratchPath(const std::string& name);

// Opens an SQLite database without journal fsync (synchronous=OFF, WAL).
sqlite3* OpenSqlite(const std::string& path);
void CreateSqliteTable(sqlite3* db);
void InsertSqlite(sqlite3_stmt* insert, const BenchRow& row);
sqlite3_stmt* Prepare(sqlite3* db, const char* sql);
