#include "transport/pdu/c_pdu_buffer.h"

#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <vector>

namespace {

TEST(CPduBuffer, PutAndGetMoveTheirPositions)
{
    CPduBuffer buffer;
    buffer.Put("abc", 3);
    buffer.PutByte('d');
    EXPECT_EQ(buffer.Length(), 4);
    char out[4];
    EXPECT_EQ(buffer.Get(out, 4), 4);
    EXPECT_EQ(std::string(out, 4), "abcd");
    buffer.Seek(1);
    EXPECT_EQ(buffer.Get(out, 1), 1);
    EXPECT_EQ(out[0], 'b');
    buffer.Clear();
    EXPECT_EQ(buffer.Length(), 0);
    EXPECT_EQ(buffer.ReadPosition(), 0);
}

TEST(CPduBuffer, WritingPastTheCapacityIsAnErrorAndWritesNothing)
{
    CPduBuffer buffer;
    std::vector<char> big(CPduBuffer::kCapacity, 'x');
    buffer.Put(big.data(), CPduBuffer::kCapacity - 1);
    EXPECT_THROW(buffer.Put("ab", 2), std::length_error);
    EXPECT_EQ(buffer.Length(), CPduBuffer::kCapacity - 1);
    buffer.PutByte('y');
    EXPECT_THROW(buffer.PutByte('z'), std::length_error);
    EXPECT_THROW(buffer.Put("a", -1), std::length_error);
    EXPECT_THROW(buffer.SetLength(CPduBuffer::kCapacity + 1), std::length_error);
    EXPECT_THROW(buffer.SetLength(-1), std::length_error);
}

TEST(CPduBuffer, ReadingPastTheLengthYieldsZerosAndStaysInside)
{
    CPduBuffer buffer;
    buffer.Put("ab", 2);
    std::array<char, 5> out{};
    out.fill('#');
    EXPECT_EQ(buffer.Get(out.data(), 5), 2);
    EXPECT_EQ(std::string(out.data(), 5), std::string("ab\0\0\0", 5));
    EXPECT_EQ(buffer.ReadPosition(), 2);
    buffer.Seek(5000);
    EXPECT_EQ(buffer.ReadPosition(), 2);
    buffer.Seek(-3);
    EXPECT_EQ(buffer.ReadPosition(), 0);
}

}  // namespace
