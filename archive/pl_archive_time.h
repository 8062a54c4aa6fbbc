#pragma once
// Local date and time as the archive stores them: FILETIMEs of local time
// (100 ns units since 1 January 1601, no time zone), built from and split
// into calendar fields of the proleptic Gregorian calendar.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

inline constexpr std::uint64_t kFileTimeMillisecond = 10000ULL;
inline constexpr std::uint64_t kFileTimeDay = 86400000ULL * kFileTimeMillisecond;

struct PlLocalTime {
    int year = 1601;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// REQUIRES: the fields name a real moment at or after 1601-01-01.
std::uint64_t PlFileTimeFromLocal(const PlLocalTime& time);
PlLocalTime PlLocalFromFileTime(std::uint64_t fileTime);

// "YYYY-MM-DD" → that date at 00:00:00.000; nullopt for anything else or
// a date that does not exist (2025-02-30) or lies before 1601.
std::optional<PlLocalTime> PlParseDate(std::string_view text);

// "YYYY-MM-DD HH:MM:SS".
std::string PlFormatLocalTime(std::uint64_t fileTime);
