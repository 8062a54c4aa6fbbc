#include "archive/pl_archive_time.h"

#include <gtest/gtest.h>

TEST(ArchiveTime, CalendarFieldsRoundTripThroughFileTime)
{
    // 2024-02-29 13:45:07.123 local; the Unix epoch is 116444736000000000.
    const PlLocalTime t{2024, 2, 29, 13, 45, 7, 123};
    const std::uint64_t ft = PlFileTimeFromLocal(t);
    const PlLocalTime back = PlLocalFromFileTime(ft);
    EXPECT_EQ(back.year, 2024);
    EXPECT_EQ(back.month, 2);
    EXPECT_EQ(back.day, 29);
    EXPECT_EQ(back.hour, 13);
    EXPECT_EQ(back.minute, 45);
    EXPECT_EQ(back.second, 7);
    EXPECT_EQ(back.millisecond, 123);
    EXPECT_EQ(PlFileTimeFromLocal({1970, 1, 1}), 116444736000000000ULL);
    EXPECT_EQ(PlFileTimeFromLocal({1601, 1, 1}), 0u);
    EXPECT_EQ(PlFormatLocalTime(ft), "2024-02-29 13:45:07");
}

TEST(ArchiveTime, ParsesOnlyRealDates)
{
    ASSERT_TRUE(PlParseDate("2025-12-31"));
    EXPECT_EQ(PlParseDate("2025-12-31")->day, 31);
    EXPECT_FALSE(PlParseDate("2025-02-29"));
    EXPECT_FALSE(PlParseDate("2025-13-01"));
    EXPECT_FALSE(PlParseDate("2025-1-01"));
    EXPECT_FALSE(PlParseDate("1600-12-31"));
    EXPECT_FALSE(PlParseDate("2025-12-3x"));
    EXPECT_FALSE(PlParseDate(""));
}
