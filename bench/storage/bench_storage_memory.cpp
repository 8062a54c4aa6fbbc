// Memory of an open archive, and the scan that opening a view costs, each
// against its baseline in the same run:
//   memory: resident memory (VmRSS) of a fresh process that holds the archive
//           open with its four views (received, sent, conversation of the last
//           7 days; a search for one name over 200 days), has read every
//           record of every view and has archived 100 messages with the clock
//           moving 1 ms each; the baseline is the same process on an empty
//           archive.
//   scan:   a new search view over the whole year on an open archive, against
//           a raw read of the same file in 1 MiB and in 4 KiB reads.
// Usage: bench_storage_memory [ROWS[:YEARS]...]   (default 100000, over 1 year)

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "archive/pl_msg_log_data_sets.h"
#include "bench_fixture.h"
#include "storage/pl_database.h"

namespace {

constexpr std::uint64_t kDay = 864000000000ULL;
constexpr std::uint64_t kMillisecond = 10000;

class BenchClock : public PlClock {
public:
    std::uint64_t NowLocalFileTime() const override { return now; }
    std::uint64_t now = kBenchNow;
};

long StatusKib(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string name;
    long value = 0;
    while (status >> name) {
        if (name == field) {
            status >> value;
            return value;
        }
        status.ignore(1 << 12, '\n');
    }
    return -1;
}

// `rows` rows over the `years` years before kBenchNow.
std::string MakeArchive(const std::string& dir, int rows, int years)
{
    const std::string path = dir + "/archive-" + std::to_string(rows) + ".qdb";
    PlDatabase db;
    db.SetPath(path);
    if (!db.Open()) {
        std::perror(path.c_str());
        std::exit(1);
    }
    const int perYear = (rows + years - 1) / years;
    for (int i = 0; i < rows; ++i) {
        BenchRow row = MakeBenchRow(i % perYear, perYear);  // within the last year
        row.received -= static_cast<std::uint64_t>(years - 1 - i / perYear) * 365 * kDay;
        db.Insert(ToPlRow(row));
    }
    return path;
}

// The child: holds the archive open with its four views and reports.
int Hold(const std::string& path)
{
    const long before = StatusKib("VmRSS:");
    BenchClock clock;
    PlDatabase db;
    db.SetPath(path);
    if (!db.Open())
        return 1;
    PlMsgLogDataSet2 received(clock);
    PlMsgLogOut sent(clock);
    PlMsgLogDialog dialog(clock);
    PlMsgLogFiltered search;
    received.Filter().days = 7;
    sent.Filter().days = 7;
    dialog.Filter().days = 7;
    dialog.Filter().name = "ALICE";
    search.Filter().name = "BOB";
    search.Filter().from = kBenchNow - 200 * kDay;
    search.Filter().to = kBenchNow + kDay;
    const auto t0 = std::chrono::steady_clock::now();
    for (PlMsgLogDataSetBase* view : std::initializer_list<PlMsgLogDataSetBase*>{&received, &sent, &dialog, &search}) {
        view->SetDatabase(&db);
        view->Open();
    }
    const double openMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    std::size_t bytes = 0;
    for (PlMsgLogDataSetBase* view : std::initializer_list<PlMsgLogDataSetBase*>{&received, &sent, &dialog, &search})
        for (std::int32_t i = 0; i <= view->GetLastIndex(); ++i)
            bytes += view->GetValue(i, "Message").Text().size();
    for (int i = 0; i < 100; ++i) {
        clock.now += kMillisecond;
        BenchRow row = MakeBenchRow(i, 100);
        row.received = clock.now;
        db.Insert(ToPlRow(row));
    }
    const long records = received.RecordCount() + sent.RecordCount() + dialog.RecordCount() + search.RecordCount();
    std::printf("%ld %ld %ld %.2f %zu\n", before, StatusKib("VmRSS:"), records, openMs, bytes);
    return 0;
}

struct Held {
    long before = 0, rss = 0, records = 0;
    double openMs = 0;
};

Held RunHold(const std::string& path)
{
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    self[n > 0 ? n : 0] = 0;
    const std::string command = std::string("'") + self + "' --hold '" + path + "'";
    FILE* child = ::popen(command.c_str(), "r");
    Held held;
    std::size_t bytes = 0;
    if (!child ||
        std::fscanf(child, "%ld %ld %ld %lf %zu", &held.before, &held.rss, &held.records, &held.openMs, &bytes) != 5) {
        std::fprintf(stderr, "the holding process failed\n");
        std::exit(1);
    }
    ::pclose(child);
    return held;
}

double MedianMs(int runs, const std::function<void()>& work)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        work();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

void RawRead(const std::string& path, std::size_t chunk)
{
    std::vector<char> buffer(chunk);
    const int fd = ::open(path.c_str(), O_RDONLY);
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(fd, buffer.data(), buffer.size(), at);
        if (n <= 0)
            break;
        at += n;
    }
    ::close(fd);
}

void CompareScan(const std::string& path)
{
    PlDatabase db;
    db.SetPath(path);
    db.OpenReadOnly();
    FilterManual filter;
    filter.name = "ALICE";
    filter.from = kBenchNow - 366 * kDay;
    filter.to = kBenchNow;
    std::int32_t taken = 0;
    // Interleaved, so that both see the same machine.
    std::vector<double> ours, raw1m, raw4k;
    for (int round = 0; round < 15; ++round) {
        ours.push_back(MedianMs(1, [&] { taken = db.CreateCursor(filter)->Count(); }));
        raw1m.push_back(MedianMs(1, [&] { RawRead(path, 1 << 20); }));
        raw4k.push_back(MedianMs(1, [&] { RawRead(path, 4096); }));
    }
    for (auto* v : {&ours, &raw1m, &raw4k})
        std::sort(v->begin(), v->end());
    const double o = ours[7], r1 = raw1m[7], r4 = raw4k[7];
    std::printf(
        "  open scan (new search view, %d rows taken): %.2f ms; raw read 1 MiB: %.2f ms (%.2fx), "
        "4 KiB: %.2f ms (%.2fx)\n",
        taken, o, r1, o / r1, r4, o / r4);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--hold")
        return Hold(argv[2]);
    std::vector<std::pair<int, int>> sizes;  // rows, years
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const std::size_t colon = arg.find(':');
        const int years = colon == std::string::npos ? 1 : std::max(1, std::atoi(arg.c_str() + colon + 1));
        sizes.emplace_back(std::max(years, std::atoi(arg.c_str())), years);
    }
    if (sizes.empty())
        sizes.emplace_back(kBenchRows, 1);

    const std::string dir = ScratchPath("memory");
    std::filesystem::create_directories(dir);
    const Held empty = RunHold(MakeArchive(dir, 0, 1));
    std::printf("empty archive: VmRSS %ld KiB (%ld KiB before opening)\n", empty.rss, empty.before);
    for (const auto& [rows, years] : sizes) {
        const std::string path = MakeArchive(dir, rows, years);
        const Held held = RunHold(path);
        std::printf(
            "%d rows over %d year(s) (%.1f MiB file): VmRSS %ld KiB, %+ld KiB against the empty archive; %ld records "
            "in the "
            "views, opened in %.1f ms\n",
            rows, years, static_cast<double>(std::filesystem::file_size(path)) / (1 << 20), held.rss,
            held.rss - empty.rss, held.records, held.openMs);
        CompareScan(path);
        std::filesystem::remove(path);
    }
    return 0;
}
