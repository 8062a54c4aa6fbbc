// The NetBIOS codecs: names, NBNS, NBSS framing, datagrams.

#include "platform/netbios/nb_name_codec.h"
#include "platform/netbios/nbdgm_codec.h"
#include "platform/netbios/nbns_codec.h"
#include "platform/netbios/nbss_codec.h"

#include <gtest/gtest.h>

#include <string>

namespace pl::nb {
namespace {

NbName Name(const std::string& text, std::uint8_t suffix, std::string scope = "")
{
    return NbName{MakeNetbiosName(text, suffix, "CP850"), std::move(scope)};
}

TEST(NetbiosNameCodec, EncodesAsTheRfcExampleAndRoundTrips)
{
    std::vector<std::uint8_t> out;
    EncodeName(Name("FRED", 0x20), out);
    EXPECT_EQ(std::string(out.begin() + 1, out.end() - 1), "EGFCEFEECACACACACACACACACACACACA");
    EXPECT_EQ(out.front(), 0x20);
    EXPECT_EQ(out.back(), 0);

    out.clear();
    EncodeName(WildcardName(), out);
    EXPECT_EQ(std::string(out.begin() + 1, out.begin() + 33), "CKAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA");

    const NbName scoped = Name("HOSTA", 0x03, "lab.example");
    out.clear();
    EncodeName(scoped, out);
    EXPECT_EQ(out.size(), EncodedNameSize(scoped));
    NbName back;
    std::size_t offset = 0;
    ASSERT_TRUE(DecodeName(out, offset, back, false));
    EXPECT_EQ(back, scoped);
    EXPECT_EQ(offset, out.size());
    EXPECT_EQ(NameToText(back), "HOSTA<03>.lab.example");
}

TEST(NetbiosNameCodec, RejectsBadLabelsPointersAndLoops)
{
    std::vector<std::uint8_t> name;
    EncodeName(Name("X", 0), name);
    NbName out;
    std::size_t offset = 0;
    std::vector<std::uint8_t> badChar = name;
    badChar[5] = 'Z';
    EXPECT_FALSE(DecodeName(badChar, offset, out, false));
    std::vector<std::uint8_t> truncated(name.begin(), name.end() - 5);
    offset = 0;
    EXPECT_FALSE(DecodeName(truncated, offset, out, false));

    // A dot inside a scope label would re-encode as two labels.
    std::vector<std::uint8_t> dotted(name.begin(), name.end() - 1);
    dotted.insert(dotted.end(), {3, 'a', '.', 'b', 0});
    offset = 0;
    EXPECT_FALSE(DecodeName(dotted, offset, out, false));

    // A pointer back to the name decodes; a pointer to itself or forward does not.
    std::vector<std::uint8_t> packet = name;
    packet.push_back(0xC0);
    packet.push_back(0x00);
    offset = name.size();
    ASSERT_TRUE(DecodeName(packet, offset, out, true));
    EXPECT_EQ(offset, packet.size());
    offset = name.size();
    EXPECT_FALSE(DecodeName(packet, offset, out, false)) << "pointers only where allowed";
    const std::vector<std::uint8_t> self = {0xC0, 0x00};
    offset = 0;
    EXPECT_FALSE(DecodeName(self, offset, out, true));
    // A scope label that points back at its own name: a loop.
    std::vector<std::uint8_t> loop(name.begin(), name.end() - 1);
    loop.push_back(0xC0);
    loop.push_back(0x00);
    offset = 0;
    EXPECT_FALSE(DecodeName(loop, offset, out, true));
}

TEST(NetbiosNbnsCodec, RegistrationRoundTripsWithPointerToQuestion)
{
    NbnsPacket packet;
    packet.transactionId = 0x1234;
    packet.flags = 0x2910;
    packet.questions.push_back({Name("HOSTA", 3), kTypeNb, kClassIn});
    const NbAddressEntry owner{0x0000, 0xA9FE0102};
    packet.additionals.push_back({Name("HOSTA", 3), kTypeNb, kClassIn, 300000, EncodeNbRdata({&owner, 1})});
    const auto bytes = EncodeNbns(packet);
    ASSERT_EQ(bytes.size(), 12u + 34 + 4 + 2 + 10 + 6);
    EXPECT_EQ(bytes[50], 0xC0);
    EXPECT_EQ(bytes[51], 0x0C);
    const auto back = DecodeNbns(bytes);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->Opcode(), NbnsOpcode::Registration);
    EXPECT_EQ(back->additionals.at(0).name, packet.questions.at(0).name);
    EXPECT_EQ(DecodeNbRdata(back->additionals.at(0).rdata).at(0).address, 0xA9FE0102u);
    EXPECT_NE(DescribeNbns(*back).find("registration request bcast"), std::string::npos);
    EXPECT_NE(DescribeNbns(*back).find("169.254.1.2"), std::string::npos);

    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        std::string error;
        EXPECT_FALSE(DecodeNbns({bytes.data(), cut}, &error).has_value()) << cut;
        EXPECT_FALSE(error.empty());
    }
}

TEST(NetbiosNbnsCodec, NodeStatusRoundTripsAndToleratesShortStatistics)
{
    NodeStatus status;
    status.names.push_back({MakeNetbiosName("HOSTA", 0, "CP850"), kNameActive});
    status.names.push_back({MakeNetbiosName("WORKGROUP", 0, "CP850"), kNbGroup | kNameActive});
    status.unitId = {1, 2, 3, 4, 5, 6};
    const auto rdata = EncodeNodeStatus(status);
    EXPECT_EQ(rdata.size(), 47u + 18 * 2);
    auto back = DecodeNodeStatus(rdata);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->names.at(1).flags, kNbGroup | kNameActive);
    EXPECT_EQ(back->unitId, status.unitId);
    back = DecodeNodeStatus({rdata.data(), 1 + 36});
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->names.size(), 2u);
    EXPECT_FALSE(DecodeNodeStatus({rdata.data(), 20}).has_value());
}

TEST(NetbiosNbssCodec, FramerCutsAStreamSplitAnywhere)
{
    std::vector<std::uint8_t> stream = EncodeSessionRequest({Name("CALLED", 3), Name("CALLING", 3)});
    const auto keepAlive = EncodeNbss(kNbssKeepAlive, {});
    stream.insert(stream.end(), keepAlive.begin(), keepAlive.end());
    const std::vector<std::uint8_t> big(0x1FFFF, 7);
    const auto message = EncodeNbss(kNbssMessage, big);
    EXPECT_EQ(message[1], 0x01) << "17th length bit";
    stream.insert(stream.end(), message.begin(), message.end());
    for (const std::size_t step : {1u, 3u, 1000u, 200000u}) {
        NbssFramer framer;
        for (std::size_t pos = 0; pos < stream.size(); pos += step)
            ASSERT_TRUE(framer.Feed({stream.data() + pos, std::min(step, stream.size() - pos)}));
        const auto request = framer.Next();
        ASSERT_TRUE(request.has_value());
        const auto names = DecodeSessionRequest(request->payload);
        ASSERT_TRUE(names.has_value());
        EXPECT_EQ(NameToText(names->calling), "CALLING<03>");
        EXPECT_EQ(framer.Next()->type, kNbssKeepAlive);
        EXPECT_EQ(framer.Next()->payload.size(), big.size());
        EXPECT_FALSE(framer.Next().has_value());
    }
    NbssFramer bad;
    const std::vector<std::uint8_t> reserved = {0x00, 0x02, 0x00, 0x00};
    EXPECT_FALSE(bad.Feed(reserved));
    EXPECT_TRUE(bad.Failed());
}

TEST(NetbiosDatagramCodec, RoundTripsAndRejectsLiesAboutLength)
{
    NbDatagram dgm;
    dgm.type = kDgmDirectGroup;
    dgm.id = 77;
    dgm.sourceAddress = 0xA9FE0102;
    dgm.sourcePort = 138;
    dgm.source = Name("HOSTA", 0);
    dgm.destination = Name("WORKGROUP", 0x1D);
    dgm.data = {1, 2, 3};
    const auto bytes = EncodeDatagram(dgm);
    ASSERT_EQ(bytes.size(), 14u + 68 + 3);
    EXPECT_EQ(bytes[10] << 8 | bytes[11], 68 + 3) << "DGM_LENGTH counts names and data";
    const auto back = DecodeDatagram(bytes);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->destination, dgm.destination);
    EXPECT_EQ(back->data, dgm.data);
    EXPECT_NE(DescribeDatagram(*back).find("WORKGROUP<1D>"), std::string::npos);

    auto lying = bytes;
    lying[11] = 0xFF;
    EXPECT_FALSE(DecodeDatagram(lying).has_value());
    for (std::size_t cut = 0; cut < 14 + 68; ++cut)
        EXPECT_FALSE(DecodeDatagram({bytes.data(), cut}).has_value()) << cut;

    NbDatagram error;
    error.type = kDgmError;
    error.errorCode = kDgmErrorNameNotPresent;
    const auto errorBack = DecodeDatagram(EncodeDatagram(error));
    ASSERT_TRUE(errorBack.has_value());
    EXPECT_EQ(errorBack->errorCode, kDgmErrorNameNotPresent);
}

}  // namespace
}  // namespace pl::nb
