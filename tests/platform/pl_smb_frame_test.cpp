// The SMB frame: one layout read and written the same way, and every
// refusal with its reason, at every length a frame can be cut to.

#include <gtest/gtest.h>

#include "platform/smb/pl_smb_frame.h"

using namespace pl::smb;

namespace {

std::vector<std::uint8_t> Frame(std::uint8_t command, std::vector<std::uint8_t> words, std::vector<std::uint8_t> data)
{
    SmbHeader header;
    header.command = command;
    header.errorCode = 0x1234;
    header.mid = 0xBEEF;
    std::vector<std::uint8_t> out;
    AppendSmbHeader(header, out);
    out.push_back(static_cast<std::uint8_t>(words.size() / 2));
    out.insert(out.end(), words.begin(), words.end());
    out.push_back(static_cast<std::uint8_t>(data.size()));
    out.push_back(static_cast<std::uint8_t>(data.size() >> 8));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

}  // namespace

TEST(SmbFrame, HeaderRoundTripsAndViewsPointIntoTheBytes)
{
    const auto bytes = Frame(0xD7, {0x05, 0x00}, {0x01, 0x02, 0x00, 'h', 'i'});
    ASSERT_EQ(bytes.size(), 32u + 1 + 2 + 2 + 5);
    const auto frame = DecodeSmbFrame(bytes);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->header.command, 0xD7);
    EXPECT_EQ(frame->header.errorCode, 0x1234);
    EXPECT_EQ(frame->header.mid, 0xBEEF);
    EXPECT_EQ(frame->words.size(), 2u);
    EXPECT_EQ(frame->data.size(), 5u);
    EXPECT_EQ(frame->data.data(), bytes.data() + 37);
    EXPECT_EQ(DescribeSmb(bytes), "SMB 0xD7 words=1 bytes=5 status=0/0x1234");
}

TEST(SmbFrame, EveryCutFrameIsRefusedWithAReason)
{
    const auto bytes = Frame(0xD5, {}, {0x04, 'A', 0x00, 0x04, 'B', 0x00});
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        std::string reason;
        EXPECT_FALSE(DecodeSmbFrame(std::span(bytes).first(length), &reason)) << length;
        EXPECT_FALSE(reason.empty()) << length;
    }
    auto padded = bytes;
    padded.push_back(0);  // bytes after the data section are padding
    EXPECT_TRUE(DecodeSmbFrame(padded));
}

TEST(SmbFrame, RefusesWhatIsNoSmb)
{
    auto bytes = Frame(0xD0, {}, {});
    bytes[0] = 0xFE;  // SMB2's signature
    std::string reason;
    EXPECT_FALSE(DecodeSmbFrame(bytes, &reason));
    EXPECT_EQ(reason, "no \\xFFSMB signature");
    EXPECT_EQ(DescribeSmb(bytes), "not an SMB: no \\xFFSMB signature");

    auto claims = Frame(0xD0, {}, {'x'});
    claims[32] = 200;  // 400 bytes of words that are not there
    EXPECT_FALSE(DecodeSmbFrame(claims, &reason));
    EXPECT_EQ(reason, "parameter words or byte count run past the end");
}
