#include "archive/pl_archive_row.h"

#include <gtest/gtest.h>

#include "archive/pl_archive_time.h"
#include "platform/text/pl_utf8.h"
#include "storage/pl_database.h"
#include "storage/pl_mem_heap.h"

using namespace pl::archive;

TEST(ArchiveRow, ReceivedAndSentRowsFollowTheSchema)
{
    const CMsg msg{kPersonalMessage, "BOB", "ALICE", "BOB", "first\nsecond"};
    const std::uint64_t time = 0x0123456789ABCDEFULL - 0x0123456789ABCDEFULL % 10000;  // whole milliseconds

    const PlRow in = ReceivedRow(msg, time);
    ASSERT_EQ(in.FieldCount(), 5);
    ASSERT_EQ(in.FieldLength(kReceivedField), 8);
    // Low 32 bits first, each half little-endian.
    EXPECT_EQ(in.GetField(kReceivedField)[0], static_cast<std::uint8_t>(time));
    EXPECT_EQ(in.GetField(kReceivedField)[4], 0x67);
    EXPECT_EQ(in.GetField(kReceivedField)[7], 0x01);
    EXPECT_EQ(in.FieldText(kOriginField), "ALICE");
    EXPECT_EQ(in.FieldText(kRecipientField), "BOB");
    EXPECT_EQ(in.FieldText(kMessageField), "first\r\nsecond");
    EXPECT_EQ(in.FieldText(kTypeField), "1");
    EXPECT_EQ(ReceivedTime(in), time);

    const PlRow out = SentRow(msg, time);
    EXPECT_EQ(out.FieldText(kTypeField), "2");
    EXPECT_EQ(RowType(out), kSentType);
}

TEST(ArchiveRow, EveryLineBreakBecomesCrLf)
{
    EXPECT_EQ(WithCrLf("a\r\nb"), "a\r\nb");
    EXPECT_EQ(WithCrLf("a\nb\rc\r\n"), "a\r\nb\r\nc\r\n");
    EXPECT_EQ(WithCrLf("\n\n"), "\r\n\r\n");
    EXPECT_EQ(WithCrLf("plain"), "plain");
}

TEST(ArchiveRow, RowsWithoutTheSchemaAreRecognised)
{
    PlRow short_;
    short_.SetField(3, "text");
    EXPECT_FALSE(HasSchema(short_));
    PlRow badTime = MakeRow(1, "a", "b", "c", '1');
    badTime.SetField(kReceivedField, "1234");
    EXPECT_TRUE(HasSchema(badTime));
    EXPECT_FALSE(ReceivedTime(badTime));
}

// Nothing is left out of the archive for being long: the row is cut to fit a
// page, visibly, at a character boundary; times are whole milliseconds.
TEST(ArchiveRow, EveryMessageFitsARowCutVisiblyAtACharacterBoundary)
{
    const std::string mark = "\xE2\x80\xA6";
    const auto fits = [](const PlRow& row) {
        PlMemHeap heap;
        PlDatabase db(heap);
        return row.GetSize() <= 4044 && (db.Insert(row), true);
    };
    for (const std::string unit : {"x", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\r\n"}) {
        for (std::size_t length = 3980; length < 4100; length += 7) {
            std::string text;
            while (text.size() < length)
                text += unit;
            const PlRow row = MakeRow(0, "ALICE", "BOB", text, '1');
            ASSERT_TRUE(fits(row));
            const std::string_view stored = row.FieldText(kMessageField);
            if (stored == text)
                continue;  // fitted whole
            ASSERT_TRUE(stored.ends_with(mark)) << stored.size();
            const std::string_view kept = stored.substr(0, stored.size() - mark.size());
            EXPECT_TRUE(text.starts_with(kept));
            EXPECT_TRUE(pl::utf8::IsValid(kept));
            EXPECT_EQ(kept.size() % unit.size(), 0u);  // whole characters, whole line breaks
            EXPECT_GT(row.GetSize(), 4044u - 4);       // as much as fits
        }
    }
    // A text that fits is kept as it is; absurd names are cut too, the text keeps its room.
    EXPECT_EQ(MakeRow(0, "A", "B", std::string(4000, 'x'), '1').FieldText(kMessageField), std::string(4000, 'x'));
    const PlRow named = MakeRow(0, std::string(3000, 'n'), std::string(3000, 'm'), std::string(5000, 't'), '2');
    ASSERT_TRUE(fits(named));
    EXPECT_EQ(named.FieldLength(kOriginField), 255);
    EXPECT_TRUE(named.FieldText(kOriginField).ends_with(mark));
    EXPECT_GT(named.FieldLength(kMessageField), 3400);
    // Times are truncated to the millisecond.
    const std::uint64_t late = PlFileTimeFromLocal({2026, 3, 15, 23, 59, 59, 999}) + 5000;  // 23:59:59.9995
    EXPECT_EQ(ReceivedTime(MakeRow(late, "A", "B", "t", '1')), late - 5000);
}
