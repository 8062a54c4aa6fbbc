#include "platform/text/pl_codepage.h"
#include "transport/pdu/c_pdu_buffer.h"
#include "transport/pdu/c_smb_messenger_pdus.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Wire(CProtocolDataUnit& pdu)
{
    CPduBuffer buffer;
    pdu.Encode(buffer);
    return std::string(reinterpret_cast<const char*>(buffer.Data()), static_cast<std::size_t>(buffer.Length()));
}

std::string Header(unsigned char command)
{
    std::string header = "\xFFSMB";
    header += static_cast<char>(command);
    header += std::string(27, '\0');
    return header;
}

void Load(CPduBuffer& buffer, const std::string& bytes)
{
    buffer.Clear();
    buffer.Put(bytes.data(), static_cast<int>(bytes.size()));
}

class SmbPduTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(pl::SetOemCodePage("CP850")); }
    void TearDown() override { pl::SetOemCodePage(""); }
};

TEST_F(SmbPduTest, SingleBlockMessageIsByteExact)
{
    CSmbPdu_sends pdu;
    pdu.Originator = "A";
    pdu.Destination = "B";
    pdu.Text = "hi";
    const std::string expected = Header(0xD0) + std::string("\x00\x0B\x00", 3) +
                                 std::string(
                                     "\x04"
                                     "A\x00\x04"
                                     "B\x00\x01\x02\x00hi",
                                     11);
    EXPECT_EQ(Wire(pdu), expected);
    EXPECT_EQ(Wire(pdu).size(), 46u);
}

TEST_F(SmbPduTest, EndWithGroupIdIsByteExact)
{
    CSmbPdu_sendend pdu;
    pdu.SetGroupId(5);
    EXPECT_EQ(Wire(pdu), Header(0xD6) + std::string("\x01\x05\x00\x00\x00", 5));
}

TEST_F(SmbPduTest, StartReplyCarriesTheGroupId)
{
    CSmbPdu_sendstrt reply;
    reply.SetGroupId(1);
    EXPECT_EQ(Wire(reply), Header(0xD5) + std::string("\x01\x01\x00\x00\x00", 5));
}

TEST_F(SmbPduTest, RepliesWithoutGroupIdAreTheBareHeader)
{
    CSmbPdu_sends sendsReply;
    CSmbPdu_sendtxt textReply;
    EXPECT_EQ(Wire(sendsReply), Header(0xD0) + std::string(3, '\0'));
    EXPECT_EQ(Wire(textReply), Header(0xD7) + std::string(3, '\0'));
}

TEST_F(SmbPduTest, DataSectionNeedsBothNamesOrANonEmptyBlock)
{
    CSmbPdu_sends sends;
    sends.Originator = "A";
    sends.Text = "hi";
    EXPECT_EQ(Wire(sends), Header(0xD0) + std::string(3, '\0'));

    CSmbPdu_sendstrt start;
    start.Destination = "B";
    EXPECT_EQ(Wire(start), Header(0xD5) + std::string(3, '\0'));

    CSmbPdu_sendtxt text;
    text.SetGroupId(9);
    EXPECT_EQ(Wire(text), Header(0xD7) + std::string("\x01\x09\x00\x00\x00", 5));
}

TEST_F(SmbPduTest, StartAndTextBlocksHaveTheirLayouts)
{
    CSmbPdu_sendstrt start;
    start.Originator = "ALICE";
    start.Destination = "BOB";
    EXPECT_EQ(Wire(start), Header(0xD5) + std::string("\x00\x0C\x00", 3) +
                               std::string("\x04"
                                           "ALICE\x00\x04"
                                           "BOB\x00",
                                           12));

    CSmbPdu_sendtxt text;
    text.SetGroupId(0x1234);
    text.Text = "Grüß";
    EXPECT_EQ(Wire(text), Header(0xD7) + std::string("\x01\x34\x12\x07\x00\x01\x04\x00"
                                                     "Gr\x81\xE1",
                                                     12));
}

TEST_F(SmbPduTest, EncodeLeavesTheTextFieldsInAnsi)
{
    CSmbPdu_sendtxt text;
    text.Text = "Grüß";
    Wire(text);
    EXPECT_EQ(text.Text, "Grüß");
}

TEST_F(SmbPduTest, TextBytesTravelAsTheyAreAndDecodingKeepsThem)
{
    CSmbPdu_sendtxt text;
    text.SetTextBytes("\xD0\x9F\xD1");  // a block cut inside a UTF-8 character
    const std::string wire = Wire(text);
    EXPECT_EQ(wire.substr(wire.size() - 6), std::string("\x01\x03\x00\xD0\x9F\xD1", 6));
    CPduBuffer buffer;
    Load(buffer, wire);
    CSmbPdu_sendtxt decoded;
    decoded.Decode(buffer);
    EXPECT_EQ(decoded.TextBytes(), "\xD0\x9F\xD1");
    decoded.Reset();
    EXPECT_TRUE(decoded.TextBytes().empty());
}

TEST_F(SmbPduTest, EveryCommandRoundTrips)
{
    CSmbPdu_sends sends;
    sends.Originator = "ÄRGER";
    sends.Destination = "PC-07";
    sends.Text = std::string(128, 'x');
    CPduBuffer buffer;
    sends.Encode(buffer);
    CSmbPdu_sends decodedSends;
    decodedSends.Decode(buffer);
    EXPECT_EQ(decodedSends.Originator, "ÄRGER");
    EXPECT_EQ(decodedSends.Destination, "PC-07");
    EXPECT_EQ(decodedSends.Text, sends.Text);

    CSmbPdu_sendtxt text;
    text.SetGroupId(65535);
    text.Text = "line\x14two";
    text.Encode(buffer);
    CSmbPdu_sendtxt decodedText;
    decodedText.Decode(buffer);
    EXPECT_EQ(decodedText.Text, text.Text);
    EXPECT_EQ(decodedText.GroupId(), 65535);
    EXPECT_EQ(decodedText.Command, 0xD7);
}

TEST_F(SmbPduTest, DecodesOemNamesWrittenByAnotherImplementation)
{
    CPduBuffer buffer;
    Load(buffer, Header(0xD5) + std::string("\x00\x08\x00", 3) +
                     std::string("\x04\x8E"
                                 "A\x00\x04\x99"
                                 "B\x00",
                                 8));
    CSmbPdu_sendstrt start;
    start.Decode(buffer);
    EXPECT_EQ(start.Originator, "ÄA");
    EXPECT_EQ(start.Destination, "ÖB");
}

TEST_F(SmbPduTest, LengthCountBeyondTheDataYieldsTheTextToTheEnd)
{
    CPduBuffer buffer;
    Load(buffer, Header(0xD0) + std::string("\x00\x0B\x00", 3) +
                     std::string("\x04"
                                 "A\x00\x04"
                                 "B\x00\x01\xFF\x00hi",
                                 11));
    CSmbPdu_sends sends;
    sends.Decode(buffer);
    EXPECT_EQ(sends.Text, "hi");

    Load(buffer, Header(0xD7) + std::string("\x01\x01\x00\x06\x00\x01\x50\x00"
                                            "abc",
                                            11));
    CSmbPdu_sendtxt text;
    text.Decode(buffer);
    EXPECT_EQ(text.Text, "abc");
}

TEST_F(SmbPduTest, CountsClaimingMoreThanWasReceivedAreCutToWhatArrived)
{
    CPduBuffer buffer;
    // ByteCount says 1000, 4 bytes arrived.
    Load(buffer, Header(0xD0) + std::string("\x00\xE8\x03", 3) +
                     std::string("\x04"
                                 "A\x00\x04",
                                 4));
    CSmbPdu_sends sends;
    sends.Decode(buffer);
    EXPECT_EQ(sends.ByteCount, 4);
    EXPECT_EQ(sends.Originator, "A");
    EXPECT_EQ(sends.Destination, "");
    EXPECT_EQ(sends.Text, "");

    // WordCount says 255 words, 3 bytes arrived after it.
    Load(buffer, Header(0xD6) + std::string("\xFF\x07\x00\x09", 4));
    CSmbPdu_sendend end;
    end.Decode(buffer);
    EXPECT_EQ(end.WordCount, 1);
    EXPECT_EQ(end.GroupId(), 7);
    EXPECT_EQ(end.ByteCount, 0);
}

TEST_F(SmbPduTest, TruncatedHeadersAndEmptyBuffersDecodeToEmptyFields)
{
    CPduBuffer buffer;
    for (const std::string& bytes : {std::string(), std::string("\xFFSM"), Header(0xD0).substr(0, 20), Header(0xD7)}) {
        Load(buffer, bytes);
        CSmbPdu_sends sends;
        sends.Decode(buffer);
        EXPECT_EQ(sends.WordCount, 0);
        EXPECT_EQ(sends.ByteCount, 0);
        EXPECT_TRUE(sends.Originator.empty());
        CSmbPdu_sendtxt text;
        text.Decode(buffer);
        EXPECT_TRUE(text.Text.empty());
    }
}

TEST_F(SmbPduTest, MissingTerminatorsRunToTheEndOfTheData)
{
    CPduBuffer buffer;
    Load(buffer, Header(0xD0) + std::string("\x00\x05\x00", 3) + "\x04LONG");
    CSmbPdu_sends sends;
    sends.Decode(buffer);
    EXPECT_EQ(sends.Originator, "LONG");
    EXPECT_TRUE(sends.Destination.empty());
}

TEST_F(SmbPduTest, TooLargeFieldsAreAnErrorNotAnOverflow)
{
    CSmbPdu_sends sends;
    sends.Originator = std::string(600, 'O');
    sends.Destination = std::string(600, 'D');
    CPduBuffer buffer;
    EXPECT_THROW(sends.Encode(buffer), std::length_error);
}

TEST_F(SmbPduTest, ResetReturnsToTheEmptyRequest)
{
    CSmbPdu_sends sends;
    sends.Originator = "A";
    sends.SetGroupId(4);
    sends.ErrorClass = 2;
    sends.Reset();
    EXPECT_EQ(sends.Command, 0xD0);
    EXPECT_EQ(sends.WordCount, 0);
    EXPECT_EQ(sends.ErrorClass, 0);
    EXPECT_TRUE(sends.Originator.empty());
    EXPECT_EQ(Wire(sends), Header(0xD0) + std::string(3, '\0'));
}

}  // namespace
