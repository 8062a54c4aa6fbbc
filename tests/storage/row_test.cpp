// The byte buffer's bounds and the row codec's layout.

#include <gtest/gtest.h>

#include "storage/pl_byte_buffer.h"
#include "storage/pl_row.h"
#include "storage/pl_storage_errors.h"

TEST(ByteBuffer, GapAndRemoveCheckTheirPositionAndKeepTheRest)
{
    PlByteBuffer buffer(4);
    buffer.PutU32(0, 0x04030201);
    EXPECT_EQ(buffer.GetByte(0), 1);
    EXPECT_EQ(buffer.GetU16(2), 0x0403);
    buffer.InsertGap(2, 3);
    EXPECT_EQ(buffer.Size(), 7u);
    EXPECT_EQ(buffer.GetByte(5), 3);
    buffer.Remove(2, 3);
    EXPECT_EQ(buffer.GetU32(0), 0x04030201u);
    EXPECT_THROW(buffer.InsertGap(5, 1), PlOutOfBoundsErr);
    EXPECT_THROW(buffer.Remove(5, 0), PlOutOfBoundsErr);
    EXPECT_THROW(buffer.Remove(2, 3), PlOutOfBoundsErr);
    EXPECT_EQ(buffer.Size(), 4u);
    buffer.InsertGap(4, 0);
    EXPECT_EQ(buffer.Size(), 4u);
}

TEST(Row, FieldsLieInIndexOrderAfterTheDirectory)
{
    PlRow row;
    EXPECT_EQ(row.GetSize(), 2u);
    row.SetField(0, "12345678");
    row.SetField(1, "abc");
    ASSERT_EQ(row.GetSize(), 21u);
    EXPECT_EQ(row.FieldCount(), 2);
    EXPECT_EQ(pl::LoadLe16(row.Data() + 2), 10);
    EXPECT_EQ(row.FieldLength(0), 8);
    EXPECT_EQ(pl::LoadLe16(row.Data() + 6), 18);
    EXPECT_EQ(row.FieldLength(1), 3);
    EXPECT_EQ(row.FieldText(1), "abc");
    EXPECT_TRUE(row.IsWellFormed());
}

TEST(Row, ResizingFieldsMovesTheFollowingOnes)
{
    PlRow row;
    row.SetField(0, "aa");
    row.SetField(1, "");
    row.SetField(2, "cc");
    EXPECT_EQ(pl::LoadLe16(row.Data() + 2 + 4), pl::LoadLe16(row.Data() + 2) + 2);  // empty field: end of previous
    row.SetField(0, "aaaa");
    EXPECT_EQ(row.FieldText(0), "aaaa");
    EXPECT_EQ(row.FieldText(2), "cc");
    row.SetField(0, "a");
    EXPECT_EQ(row.FieldText(2), "cc");
    row.SetField(4, "e");  // fields 3 and 4 appear, 3 empty
    EXPECT_EQ(row.FieldCount(), 5);
    EXPECT_EQ(row.FieldLength(3), 0);
    EXPECT_EQ(row.FieldText(0), "a");
    EXPECT_EQ(row.FieldText(4), "e");
    row.SetFieldCount(2);
    EXPECT_EQ(row.FieldCount(), 2);
    EXPECT_EQ(row.GetSize(), 2u + 8u + 1u);
    EXPECT_EQ(row.FieldText(0), "a");
    EXPECT_TRUE(row.IsWellFormed());
}

TEST(Row, MalformedDirectoriesAreRecognisedAndHugeRowsRefused)
{
    PlRow row;
    const std::uint8_t bad[] = {2, 0, 10, 0, 200, 0, 10, 0, 0, 0};  // field 0 runs past the end
    row.Assign(bad, sizeof bad);
    EXPECT_FALSE(row.IsWellFormed());
    const std::uint8_t tooMany[] = {9, 0, 0, 0};
    row.Assign(tooMany, sizeof tooMany);
    EXPECT_FALSE(row.IsWellFormed());
    row.Reset(0);
    EXPECT_FALSE(row.IsWellFormed());
    row.Reset(10);
    EXPECT_EQ(row.FieldCount(), 0);
    EXPECT_TRUE(row.IsWellFormed());

    PlRow big;
    big.SetField(0, std::string(60000, 'x'));
    EXPECT_THROW(big.SetField(1, std::string(6000, 'y')), PlDatabaseErr);
    EXPECT_EQ(big.FieldCount(), 1);
}
