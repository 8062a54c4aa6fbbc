// archive_fill: writes an archive file for the screenshots and for timing
// the program by hand.
//   archive_fill FILE --sample        a short conversation of the last two days
//   archive_fill FILE N [--received]  N messages of the last two days, every
//                                     fourth one sent unless --received

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
        std::fputs("usage: archive_fill FILE (--sample | N [--received])\n", stderr);
        return 2;
    }
    const std::string what = argv[2];
    const bool sample = what == "--sample";
    const bool received = argc > 3 && std::string(argv[3]) == "--received";
    try {
        const int rows = FillArchive(argv[1],
                                     sample     ? ArchiveFill::kSample
                                     : received ? ArchiveFill::kAllReceived
                                                : ArchiveFill::kMixed,
                                     sample ? 0 : std::atoi(argv[2]), PlSystemClock().NowLocalFileTime());
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
