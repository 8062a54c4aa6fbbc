#include "archive/pl_archive_row.h"

#include <gtest/gtest.h>

#include "storage/pl_storage_errors.h"

using namespace pl::archive;

TEST(ArchiveRow, ReceivedAndSentRowsFollowTheSchema)
{
    const CMsg msg{kPersonalMessage, "BOB", "ALICE", "BOB", "first\nsecond"};
    const std::uint64_t time = 0x0123456789ABCDEFULL;

    const PlRow in = ReceivedRow(msg, time);
    ASSERT_EQ(in.FieldCount(), 5);
    ASSERT_EQ(in.FieldLength(kReceivedField), 8);
    // Low 32 bits first, each half little-endian.
    EXPECT_EQ(in.GetField(kReceivedField)[0], 0xEF);
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
    EXPECT_THROW(MakeRow(1, "a", "b", std::string(70000, 'x'), '1'), PlDatabaseErr);
}
