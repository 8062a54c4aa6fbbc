// Writes a message archive of N received messages for the desktop
// benchmark: spread over the year before now, newest last, each of a few
// lines, so that the archive's views hold only the last days' messages.
//   bench_fill_archive FILE N

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/core/pl_message_archive.h"
#include "archive/pl_archive_time.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: bench_fill_archive FILE N\n", stderr);
        return 2;
    }
    const long count = std::strtol(argv[2], nullptr, 10);
    PlMessageArchive archive;
    if (!archive.Open(argv[1], 3)) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    const std::uint64_t now = PlDefaultClock().NowLocalFileTime();
    const std::uint64_t step = 365 * kFileTimeDay / static_cast<std::uint64_t>(count > 0 ? count : 1);
    for (long i = 0; i < count; ++i) {
        const CMsg msg{kPersonalMessage, "BENCH", "SENDER" + std::to_string(i % 40), "BENCH",
                       "Message " + std::to_string(i) + "\r\nwith a second line and some more words in it"};
        if (!archive.StoreReceived(msg, now - static_cast<std::uint64_t>(count - i) * step)) {
            std::fprintf(stderr, "message %ld was not stored\n", i);
            return 1;
        }
    }
    archive.Close();
    return 0;
}
