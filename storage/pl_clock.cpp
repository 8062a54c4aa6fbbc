#include "storage/pl_clock.h"

#include <sys/time.h>
#include <ctime>

namespace {
constexpr std::uint64_t kUnixEpochAsFileTime = 116444736000000000ULL;
}

std::uint64_t PlSystemClock::NowLocalFileTime() const
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    const std::int64_t seconds = static_cast<std::int64_t>(now.tv_sec) + local.tm_gmtoff;
    return kUnixEpochAsFileTime + static_cast<std::uint64_t>(seconds) * 10000000ULL +
           static_cast<std::uint64_t>(now.tv_nsec / 100);
}
