// Mailslot writes and browser frames: captured Samba datagrams, our own
// encoding, and damaged input.

#include "platform/netbios/nb_mailslot_codec.h"
#include "platform/netbios/nb_browse_codec.h"
#include "platform/netbios/nb_browse_list.h"
#include "platform/netbios/nbdgm_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pl::nb {
namespace {

std::vector<std::uint8_t> FromHex(const std::string& hex)
{
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

// Samba's smbclient-style write to \MAILSLOT\MESSNGR (no padding before the data).
const char* const kSambaMessngr =
    "10024711a9fe4d03008a00da000020454d454245434643454246484341434143414341434143414341434143414141002046444542454e45"
    "4345424641454645464643434143414341434143414341414400ff534d422500000000000000000000000000000000000000000000000000"
    "00001100003f000000000000000000000000000000000000003f005700030001000100020051005c4d41494c534c4f545c4d4553534e4752"
    "004c41425241570053414d4241504545520042726f6164636173742068656c6c6f20766961204d4553534e47522028756e697175652c2075"
    "6e69636173742900";
// nmbd's host announcement of SAMBAPEER to LABGROUP<1D>.
const char* const kSambaHostAnnouncement =
    "110a5e63a9fe4d01008a00c900002046444542454e45434542464145464546464343414341434143414341434141410020454d4542454345"
    "4846434550464646414341434143414341434143414341424e00ff534d422500000000000000000000000000000000000000000000000000"
    "00001100002f000000000000000000000000000000000000002f005600030001000100020040005c4d41494c534c4f545c42524f57534500"
    "010060ea000053414d424150454552000000000000000601039a81000f0155aa6c61622073616d6261207065657200";
// nmbd's domain announcement of LABGROUP.
const char* const kSambaDomainAnnouncement =
    "110a5e6ea9fe4d01008a00c400002046444542454e4543454246414546454646434341434143414341434143414141002041424143465046"
    "50454e4644454346434550464846444546465046504143414200ff534d422500000000000000000000000000000000000000000000000000"
    "00001100002a000000000000000000000000000000000000002a00560003000100010002003b005c4d41494c534c4f545c42524f57534500"
    "0c02c0d401004c414247524f555000000000000000000601001000800f0155aa53414d42415045455200";

NbMailslotWrite DecodeCaptured(const char* hex)
{
    const auto datagram = DecodeDatagram(FromHex(hex));
    EXPECT_TRUE(datagram.has_value());
    std::string error;
    const auto write = DecodeMailslotWrite(datagram ? datagram->data : std::vector<std::uint8_t>{}, &error);
    EXPECT_TRUE(write.has_value()) << error;
    return write.value_or(NbMailslotWrite{});
}

TEST(MailslotCodec, DecodesCapturedWritesAndAnnouncements)
{
    const auto messngr = DecodeCaptured(kSambaMessngr);
    EXPECT_EQ(messngr.mailslot, "\\MAILSLOT\\MESSNGR");
    EXPECT_EQ(messngr.mailslotClass, 2);
    const std::string text(messngr.data.begin(), messngr.data.end());
    EXPECT_EQ(text, std::string("LABRAW\0SAMBAPEER\0Broadcast hello via MESSNGR (unique, unicast)\0", 63));

    const auto host = DecodeBrowseFrame(DecodeCaptured(kSambaHostAnnouncement).data);
    ASSERT_TRUE(host && host->announcement);
    EXPECT_EQ(host->announcement->name, "SAMBAPEER");
    EXPECT_EQ(host->announcement->periodicityMs, 60000u);
    EXPECT_EQ(host->announcement->comment, "lab samba peer");
    EXPECT_EQ(host->announcement->serverType & kServerTypeServer, kServerTypeServer);

    const auto domain = DecodeBrowseFrame(DecodeCaptured(kSambaDomainAnnouncement).data);
    ASSERT_TRUE(domain && domain->announcement);
    EXPECT_EQ(domain->opcode, kBrowseDomainAnnouncement);
    EXPECT_EQ(domain->announcement->name, "LABGROUP");
    EXPECT_EQ(domain->announcement->comment, "SAMBAPEER");
}

TEST(MailslotCodec, EncodesWritesThatDecodeWithAlignedData)
{
    const NbMailslotWrite write{"\\MAILSLOT\\MESSNGR", 0, kMailslotSecondClass, {'A', 0, 'B', 0, 'h', 'i', 0}};
    const auto bytes = EncodeMailslotWrite(write);
    ASSERT_EQ(bytes.size(), 88u + 7u) << "data four-byte aligned after the 18-byte name";
    EXPECT_EQ(bytes[57] | bytes[58] << 8, 88);
    const auto decoded = DecodeMailslotWrite(bytes);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->mailslot, write.mailslot);
    EXPECT_EQ(decoded->data, write.data);

    NbMailslotWrite tooLong = write;
    tooLong.data.assign(kMaxMailslotSmbSize, 'x');
    EXPECT_TRUE(EncodeMailslotWrite(tooLong).empty());
    tooLong.data.assign(424, 'x');
    EXPECT_EQ(EncodeMailslotWrite(tooLong).size(), kMaxMailslotSmbSize) << "424 bytes fit, as on Windows";
}

TEST(MailslotCodec, RejectsWritesThatPointOutsideTheDatagram)
{
    auto bytes = EncodeMailslotWrite(NbMailslotWrite{"\\MAILSLOT\\MESSNGR", 0, 2, {'x', 'y'}});
    std::string error;
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        const std::vector<std::uint8_t> truncated(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_FALSE(DecodeMailslotWrite(truncated, &error)) << "cut at " << cut;
    }
    auto badOffset = bytes;
    badOffset[57] = 0xF0;  // DataOffset past the end
    EXPECT_FALSE(DecodeMailslotWrite(badOffset, &error));
    EXPECT_EQ(error, "mailslot data outside the datagram");
    auto intoName = bytes;
    intoName[57] = 70;  // DataOffset inside the name
    EXPECT_FALSE(DecodeMailslotWrite(intoName, &error));
    auto notWrite = bytes;
    notWrite[61] = 2;
    EXPECT_FALSE(DecodeMailslotWrite(notWrite, &error));
    EXPECT_EQ(error, "not a mailslot write");
}

TEST(BrowseCodec, AnnouncementsRoundTripAndCutLongFields)
{
    NbBrowseAnnouncement announcement;
    announcement.periodicityMs = 720000;
    announcement.name = "AVERYLONGCOMPUTERNAME";
    announcement.serverType = 0x1003;
    announcement.comment = std::string(60, 'c');
    const auto bytes = EncodeAnnouncement(announcement);
    EXPECT_EQ(bytes.size(), 32u + 43u);
    const auto frame = DecodeBrowseFrame(bytes);
    ASSERT_TRUE(frame && frame->announcement);
    EXPECT_EQ(frame->announcement->name, "AVERYLONGCOMPUT");
    EXPECT_EQ(frame->announcement->comment.size(), 42u);
    EXPECT_EQ(frame->announcement->serverType, 0x1003u);

    const auto request = DecodeBrowseFrame(EncodeAnnouncementRequest("HOSTA"));
    ASSERT_TRUE(request);
    EXPECT_EQ(request->opcode, kBrowseAnnouncementRequest);
    EXPECT_EQ(request->responseName, "HOSTA");

    EXPECT_FALSE(DecodeBrowseFrame(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 31)));
    const std::vector<std::uint8_t> unterminated(40, 'A');
    auto noNul = unterminated;
    noNul[0] = kBrowseHostAnnouncement;
    const auto lax = DecodeBrowseFrame(noNul);
    ASSERT_TRUE(lax && lax->announcement);
    EXPECT_EQ(lax->announcement->name.size(), 16u) << "a name is read only inside its field";
}

TEST(BrowseList, KeepsExpiresAndBoundsItsEntries)
{
    NbBrowseList list;
    const PlNetbiosClock::TimePoint start{};
    NbBrowseAnnouncement host{kBrowseHostAnnouncement, 60000, "hosta", 5, 1, 0x1003, "x"};
    list.Heard(host, "LABGROUP", start);
    auto entries = list.Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(entries[0].isWorkgroup);
    EXPECT_EQ(entries[0].name, "LABGROUP");
    EXPECT_EQ(entries[1].name, "HOSTA");
    EXPECT_EQ(entries[1].workgroup, "LABGROUP");

    list.Expire(start + std::chrono::minutes(2));
    EXPECT_EQ(list.Entries().size(), 2u) << "kept for three periods";
    list.Expire(start + std::chrono::minutes(4));
    EXPECT_TRUE(list.Entries().empty());

    list.Heard(host, "LABGROUP", start);
    host.serverType = 0;
    list.Heard(host, "LABGROUP", start);
    EXPECT_EQ(list.Entries().size(), 1u) << "a host that announced its end is gone";

    for (std::size_t i = 0; i < NbBrowseList::kMaxComputers + 100; ++i)
        list.Heard(NbBrowseAnnouncement{kBrowseHostAnnouncement, 60000, std::string("H").append(std::to_string(i)), 5,
                                        1, 1, ""},
                   std::string("G").append(std::to_string(i)), start);
    EXPECT_EQ(list.Entries().size(), NbBrowseList::kMaxComputers + NbBrowseList::kMaxWorkgroups);
    EXPECT_GT(list.Dropped(), 0u);
}

}  // namespace
}  // namespace pl::nb
