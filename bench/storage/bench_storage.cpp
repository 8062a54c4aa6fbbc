// Storage engine benchmarks, each beside its baselines in the same run:
// SQLite on rows of the same content (WAL, synchronous=OFF: no journal fsync,
// like ours) and raw reads or writes of the file itself.
//   Insert:  one row appended at 100,000 rows, with four cursors open.
//   Scan:    a filtered full scan over 100,000 rows.
//   Record:  record i of a 100,000-row snapshot, in order and at random.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <vector>

#include "bench_fixture.h"
#include "storage/pl_database.h"
#include "test_filters.h"
#include "test_support.h"

namespace {

// The conversation view: one name, within a time window.
class DialogFilter : public TimeWindowFilter {
public:
    DialogFilter(const PlClock& clock, int windowDays, std::string name)
        : TimeWindowFilter(clock, windowDays, '1'), name_(std::move(name))
    {
    }
    bool Accept(const PlRow& row) override { return name_.Accept(row); }
    std::optional<std::string> ResultKey() const override { return *TimeWindowFilter::ResultKey() + name_.name; }

private:
    NameFilter name_;
};

// The search view: one name, between two times, over the whole file.
class SearchFilter : public PlDbFilter {
public:
    SearchFilter(std::string name, std::uint64_t from, std::uint64_t to) : name_(std::move(name)), from_(from), to_(to)
    {
    }
    bool Accept(const PlRow& row) override
    {
        if (!name_.Accept(row))
            return false;
        const std::uint64_t t = ReceivedOf(row);
        return from_ <= t && t <= to_;
    }
    std::optional<std::string> ResultKey() const override
    {
        return name_.name + "/" + std::to_string(from_) + "/" + std::to_string(to_);
    }

private:
    NameFilter name_;
    std::uint64_t from_;
    std::uint64_t to_;
};

// Hides a filter's result key: every refresh then rescans every row, which is
// what the unremembered scan costs.
class Unkeyed : public PlDbFilter {
public:
    explicit Unkeyed(PlDbFilter& inner) : inner_(inner) {}
    bool Accept(const PlRow& row) override { return inner_.Accept(row); }
    bool Continue(const PlRow& row) override { return inner_.Continue(row); }
    void Begin() override { inner_.Begin(); }

private:
    PlDbFilter& inner_;
};

constexpr std::uint64_t kMillisecond = 10000;

std::string FreshCopy(const std::string& from, const std::string& name)
{
    const std::string to = ScratchPath(name);
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
    return to;
}

void ReportLatencies(benchmark::State& state, std::vector<double>& micros)
{
    if (micros.empty())
        return;
    std::sort(micros.begin(), micros.end());
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["p95_us"] = micros[micros.size() * 95 / 100];
    state.counters["p99_us"] = micros[micros.size() * 99 / 100];
}

template <typename F>
double TimeMicros(F&& f)
{
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count();
}

// Arg 0: fixed clock; 1: the clock moves 1 ms per insert (every time-window
// cut-off changes); 2: as 1, with every page rescanned at every refresh.
void BM_Insert_Ours(benchmark::State& state)
{
    const std::string path = FreshCopy(OurFile(), "insert.qdb");
    FakeClock clock;
    clock.now = kBenchNow;
    PlDatabase db;
    db.SetPath(path);
    if (!db.Open())
        state.SkipWithError("cannot open");
    TimeWindowFilter received(clock, 7, '1');
    TimeWindowFilter sent(clock, 7, '2');
    DialogFilter dialog(clock, 7, "ALICE");
    SearchFilter search("BOB", kBenchNow - 200 * 864000000000ULL, kBenchNow + 864000000000ULL);
    std::vector<std::unique_ptr<Unkeyed>> unkeyed;
    std::vector<std::unique_ptr<PlDbSrvMemCursor>> cursors;
    for (PlDbFilter* f : std::initializer_list<PlDbFilter*>{&received, &sent, &dialog, &search}) {
        if (state.range(0) == 2) {
            unkeyed.push_back(std::make_unique<Unkeyed>(*f));
            f = unkeyed.back().get();
        }
        cursors.push_back(db.CreateCursor(*f));
    }
    std::vector<PlRow> rows;
    for (int i = 0; i < 5000; ++i)
        rows.push_back(ToPlRow(MakeBenchRow(kBenchRows + i)));
    std::vector<double> micros;
    std::size_t next = 0;
    for (auto _ : state) {
        if (state.range(0) != 0)
            clock.now += kMillisecond;
        micros.push_back(TimeMicros([&] { db.Insert(rows[next++ % rows.size()]); }));
    }
    ReportLatencies(state, micros);
    state.counters["rows_in_views"] =
        cursors[0]->Count() + cursors[1]->Count() + cursors[2]->Count() + cursors[3]->Count();
}
BENCHMARK(BM_Insert_Ours)->Arg(0)->Arg(1)->Iterations(3000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Insert_Ours)->Arg(2)->Iterations(200)->Unit(benchmark::kMicrosecond);

void BM_Insert_SQLite(benchmark::State& state)
{
    const std::string path = FreshCopy(SqliteFile(), "insert.sqlite");
    sqlite3* db = OpenSqlite(path);
    sqlite3_stmt* insert = Prepare(db, "INSERT INTO archive VALUES(?,?,?,?,?)");
    std::vector<BenchRow> rows;
    for (int i = 0; i < 5000; ++i)
        rows.push_back(MakeBenchRow(kBenchRows + i));
    std::vector<double> micros;
    std::size_t next = 0;
    for (auto _ : state)
        micros.push_back(TimeMicros([&] { InsertSqlite(insert, rows[next++ % rows.size()]); }));
    ReportLatencies(state, micros);
    sqlite3_finalize(insert);
    sqlite3_close(db);
}
BENCHMARK(BM_Insert_SQLite)->Iterations(3000)->Unit(benchmark::kMicrosecond);

// The least an append can cost: one 4096-byte positioned write.
void BM_Insert_RawWrite(benchmark::State& state)
{
    const std::string path = FreshCopy(OurFile(), "insert.raw");
    const int fd = ::open(path.c_str(), O_RDWR);
    off_t end = ::lseek(fd, 0, SEEK_END);
    std::vector<char> block(4096, 'w');
    std::vector<double> micros;
    for (auto _ : state) {
        micros.push_back(TimeMicros([&] {
            if (::pwrite(fd, block.data(), block.size(), end) != 4096)
                state.SkipWithError("write failed");
        }));
        end += 4096;
    }
    ReportLatencies(state, micros);
    ::close(fd);
}
BENCHMARK(BM_Insert_RawWrite)->Iterations(3000)->Unit(benchmark::kMicrosecond);

SearchFilter ScanFilter()
{
    return SearchFilter("ALICE", kBenchNow - 365 * 864000000000ULL, kBenchNow);
}

// Open the file and take one filtered snapshot: file read, pages checked, every row filtered.
void BM_Scan_Ours_Cold(benchmark::State& state)
{
    const std::string& path = OurFile();
    std::int64_t taken = 0;
    for (auto _ : state) {
        PlDatabase db;
        db.SetPath(path);
        db.OpenReadOnly();
        SearchFilter filter = ScanFilter();
        taken = db.CreateCursor(filter)->Count();
    }
    state.counters["rows_taken"] = static_cast<double>(taken);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_Scan_Ours_Cold)->Unit(benchmark::kMillisecond);

// A new cursor on an open database: every row filtered, no file read.
void BM_Scan_Ours_Open(benchmark::State& state)
{
    PlDatabase db;
    db.SetPath(OurFile());
    db.OpenReadOnly();
    std::int64_t taken = 0;
    for (auto _ : state) {
        SearchFilter filter = ScanFilter();
        taken = db.CreateCursor(filter)->Count();
    }
    state.counters["rows_taken"] = static_cast<double>(taken);
}
BENCHMARK(BM_Scan_Ours_Open)->Unit(benchmark::kMillisecond);

void BM_Scan_SQLite(benchmark::State& state)
{
    sqlite3* db = OpenSqlite(SqliteFile());
    sqlite3_stmt* query = Prepare(db,
                                  "SELECT received, origin, recipient, message, type FROM archive WHERE "
                                  "(origin = ?1 COLLATE NOCASE OR recipient = ?1 COLLATE NOCASE) AND "
                                  "received BETWEEN ?2 AND ?3 ORDER BY rowid DESC");
    std::int64_t taken = 0;
    std::size_t bytes = 0;
    for (auto _ : state) {
        sqlite3_bind_text(query, 1, "ALICE", 5, SQLITE_STATIC);
        sqlite3_bind_int64(query, 2, static_cast<sqlite3_int64>(kBenchNow - 365 * 864000000000ULL));
        sqlite3_bind_int64(query, 3, static_cast<sqlite3_int64>(kBenchNow));
        taken = 0;
        while (sqlite3_step(query) == SQLITE_ROW) {
            ++taken;
            for (int c = 1; c < 5; ++c)
                bytes += static_cast<std::size_t>(sqlite3_column_bytes(query, c));
        }
        sqlite3_reset(query);
    }
    benchmark::DoNotOptimize(bytes);
    state.counters["rows_taken"] = static_cast<double>(taken);
    sqlite3_finalize(query);
    sqlite3_close(db);
}
BENCHMARK(BM_Scan_SQLite)->Unit(benchmark::kMillisecond);

// Arg: read size in bytes. 4096 is the block file's own transfer.
void BM_Scan_RawRead(benchmark::State& state)
{
    const std::string& path = OurFile();
    std::vector<char> buffer(static_cast<std::size_t>(state.range(0)));
    std::int64_t total = 0;
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        total = 0;
        for (ssize_t n; (n = ::pread(fd, buffer.data(), buffer.size(), total)) > 0;)
            total += n;
        ::close(fd);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * total);
}
BENCHMARK(BM_Scan_RawRead)->Arg(4096)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

// Record i of the full snapshot, read as a grid reads it: position, fetch.
// Arg 0: every i in order; 1: at random.
std::vector<std::int32_t> Order(std::int32_t n, bool random)
{
    std::vector<std::int32_t> order(static_cast<std::size_t>(n));
    for (std::int32_t i = 0; i < n; ++i)
        order[static_cast<std::size_t>(i)] = i;
    if (random)
        std::shuffle(order.begin(), order.end(), std::mt19937(42));
    return order;
}

// Arg 0: order (0 in order, 1 random); arg 1: snapshot size (the newest rows).
void BM_Record_Ours(benchmark::State& state)
{
    PlDatabase db;
    db.SetPath(OurFile());
    db.OpenReadOnly();
    LimitFilter newest(static_cast<int>(state.range(1)));
    auto cursor = db.CreateCursor(newest);
    const std::vector<std::int32_t> order = Order(cursor->Count(), state.range(0) == 1);
    PlRow row;
    std::size_t next = 0;
    for (auto _ : state) {
        cursor->Move(-order[next], PlDbSrvAbstractCursor::kFromFirst);
        cursor->GetRow(row);
        benchmark::DoNotOptimize(row.Data());
        next = next + 1 == order.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Record_Ours)
    ->Args({0, 1000})
    ->Args({0, 10000})
    ->Args({0, kBenchRows})
    ->Args({1, 1000})
    ->Args({1, 10000})
    ->Args({1, kBenchRows})
    ->Unit(benchmark::kNanosecond);

// Record i by stepping from the first row, one Move at a time (random i).
void BM_Record_Ours_StepFromFirst(benchmark::State& state)
{
    PlDatabase db;
    db.SetPath(OurFile());
    db.OpenReadOnly();
    PlDbFilter all;
    auto cursor = db.CreateCursor(all);
    const std::vector<std::int32_t> order = Order(cursor->Count(), true);
    PlRow row;
    std::size_t next = 0;
    for (auto _ : state) {
        cursor->Move(0, PlDbSrvAbstractCursor::kFromFirst);
        for (std::int32_t s = 0; s < order[next]; ++s)
            cursor->Move(-1, PlDbSrvAbstractCursor::kFromCurrent);
        cursor->GetRow(row);
        ++next;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Record_Ours_StepFromFirst)->Iterations(300)->Unit(benchmark::kMicrosecond);

// SQLite's best case: the row by its rowid (newest first).
void BM_Record_SQLite_Rowid(benchmark::State& state)
{
    sqlite3* db = OpenSqlite(SqliteFile());
    sqlite3_stmt* query = Prepare(db, "SELECT received, origin, recipient, message, type FROM archive WHERE rowid = ?");
    const std::vector<std::int32_t> order = Order(kBenchRows, state.range(0) == 1);
    std::size_t next = 0;
    for (auto _ : state) {
        sqlite3_bind_int64(query, 1, kBenchRows - order[next]);
        if (sqlite3_step(query) == SQLITE_ROW)
            benchmark::DoNotOptimize(sqlite3_column_text(query, 3));
        sqlite3_reset(query);
        next = next + 1 == order.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(state.iterations());
    sqlite3_finalize(query);
    sqlite3_close(db);
}
BENCHMARK(BM_Record_SQLite_Rowid)->Arg(0)->Arg(1)->Unit(benchmark::kNanosecond);

// SQLite as a grid over a query: record i of the ordered result (random i).
void BM_Record_SQLite_Offset(benchmark::State& state)
{
    sqlite3* db = OpenSqlite(SqliteFile());
    sqlite3_stmt* query = Prepare(db,
                                  "SELECT received, origin, recipient, message, type FROM archive "
                                  "ORDER BY rowid DESC LIMIT 1 OFFSET ?");
    const std::vector<std::int32_t> order = Order(kBenchRows, true);
    std::size_t next = 0;
    for (auto _ : state) {
        sqlite3_bind_int64(query, 1, order[next++]);
        if (sqlite3_step(query) == SQLITE_ROW)
            benchmark::DoNotOptimize(sqlite3_column_text(query, 3));
        sqlite3_reset(query);
    }
    state.SetItemsProcessed(state.iterations());
    sqlite3_finalize(query);
    sqlite3_close(db);
}
BENCHMARK(BM_Record_SQLite_Offset)->Iterations(300)->Unit(benchmark::kMicrosecond);

// The block that holds record i, read from the file.
void BM_Record_RawRead(benchmark::State& state)
{
    const std::string& path = OurFile();
    const int fd = ::open(path.c_str(), O_RDONLY);
    const auto blocks = static_cast<std::int32_t>(std::filesystem::file_size(path) / 4096);
    const std::vector<std::int32_t> order = Order(blocks, state.range(0) == 1);
    std::vector<char> block(4096);
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(::pread(fd, block.data(), 4096, static_cast<off_t>(order[next]) * 4096));
        next = next + 1 == order.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(state.iterations());
    ::close(fd);
}
BENCHMARK(BM_Record_RawRead)->Arg(0)->Arg(1)->Unit(benchmark::kNanosecond);

}  // namespace

BENCHMARK_MAIN();
