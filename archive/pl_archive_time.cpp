#include "archive/pl_archive_time.h"

#include <cstdio>

namespace {

constexpr std::uint64_t kFileTimeSecond = 1000 * kFileTimeMillisecond;

// Days from 1970-01-01 to the civil date (Howard Hinnant's days_from_civil).
constexpr std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

constexpr std::int64_t kDays1601To1970 = -DaysFromCivil(1601, 1, 1);

}  // namespace

std::uint64_t PlFileTimeFromLocal(const PlLocalTime& t)
{
    const std::int64_t days =
        DaysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) + kDays1601To1970;
    const std::int64_t seconds = days * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
    return static_cast<std::uint64_t>(seconds) * kFileTimeSecond +
           static_cast<std::uint64_t>(t.millisecond) * kFileTimeMillisecond;
}

PlLocalTime PlLocalFromFileTime(std::uint64_t fileTime)
{
    PlLocalTime t;
    const auto days = static_cast<std::int64_t>(fileTime / kFileTimeDay);
    std::uint64_t rest = fileTime % kFileTimeDay;
    CivilFromDays(days - kDays1601To1970, t.year, t.month, t.day);
    t.hour = static_cast<int>(rest / (3600 * kFileTimeSecond));
    rest %= 3600 * kFileTimeSecond;
    t.minute = static_cast<int>(rest / (60 * kFileTimeSecond));
    rest %= 60 * kFileTimeSecond;
    t.second = static_cast<int>(rest / kFileTimeSecond);
    t.millisecond = static_cast<int>(rest % kFileTimeSecond / kFileTimeMillisecond);
    return t;
}

std::optional<PlLocalTime> PlParseDate(std::string_view text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    auto number = [&](std::size_t pos, std::size_t len, int& out) {
        out = 0;
        for (std::size_t i = pos; i < pos + len; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return false;
            out = out * 10 + (text[i] - '0');
        }
        return true;
    };
    PlLocalTime t;
    if (!number(0, 4, t.year) || !number(5, 2, t.month) || !number(8, 2, t.day))
        return std::nullopt;
    if (t.year < 1601 || t.month < 1 || t.month > 12 || t.day < 1)
        return std::nullopt;
    // A day that does not exist comes back as another date.
    const PlLocalTime back = PlLocalFromFileTime(PlFileTimeFromLocal(t));
    if (back.month != t.month || back.day != t.day)
        return std::nullopt;
    return t;
}

std::string PlFormatLocalTime(std::uint64_t fileTime)
{
    const PlLocalTime t = PlLocalFromFileTime(fileTime);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}
