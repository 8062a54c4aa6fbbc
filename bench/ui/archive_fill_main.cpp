// archive_fill: writes an archive file for the screenshots, the benchmarks
// and for timing the program by hand.
//   archive_fill FILE --sample        a short conversation of the last two days
//   archive_fill FILE N [--received] [--hours H]
//                                     N messages of the last H hours (48),
//                                     every fourth one sent unless --received

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "archive_fill.h"
#include "storage/pl_clock.h"
#include "storage/pl_storage_errors.h"

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fputs("usage: archive_fill FILE (--sample | N [--received] [--hours H])\n", stderr);
        return 2;
    }
    const std::string what = argv[2];
    const bool sample = what == "--sample";
    bool received = false;
    int hours = 48;
    for (int i = 3; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--received") {
            received = true;
        } else if (option == "--hours" && i + 1 < argc && std::atoi(argv[i + 1]) > 0) {
            hours = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "archive_fill: unknown or incomplete option %s\n", option.c_str());
            return 2;
        }
    }
    try {
        const int rows = FillArchive(argv[1],
                                     sample     ? ArchiveFill::kSample
                                     : received ? ArchiveFill::kAllReceived
                                                : ArchiveFill::kMixed,
                                     sample ? 0 : std::atoi(argv[2]), PlSystemClock().NowLocalFileTime(), hours);
        std::printf("%d messages archived in %s\n", rows, argv[1]);
    } catch (const PlDatabaseErr& error) {
        std::fprintf(stderr, "archive_fill: %s\n", error.Message().c_str());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "archive_fill: %s\n", error.what());
        return 1;
    }
    return 0;
}
