// Following the interfaces without a provider: the rtnetlink codec on bytes
// the kernel sent, the snapshot and which interfaces a configuration selects
// from it, and the bookkeeping of LANA numbers.

#include "platform/netbios/nb_interfaces.h"
#include "platform/netbios/nb_lana_numbers.h"
#include "platform/netbios/nb_rtnl_codec.h"

#include <gtest/gtest.h>

#include <linux/if_addr.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>

namespace pl::nb {
namespace {

// Captured from a kernel: lan0 (index 3) gains 169.254.60.2/24 with its
// broadcast address, and loses its secondary address 169.254.60.7/24.
const std::vector<std::uint8_t> kNewAddress{
    0x58, 0x00, 0x00, 0x00, 0x14, 0x00, 0x00, 0x00, 0x77, 0xe6, 0x17, 0x6b, 0xb4, 0x40, 0x00, 0x00, 0x02, 0x18,
    0x80, 0x00, 0x03, 0x00, 0x00, 0x00, 0x08, 0x00, 0x01, 0x00, 0xa9, 0xfe, 0x3c, 0x02, 0x08, 0x00, 0x02, 0x00,
    0xa9, 0xfe, 0x3c, 0x02, 0x08, 0x00, 0x04, 0x00, 0xa9, 0xfe, 0x3c, 0xff, 0x09, 0x00, 0x03, 0x00, 0x6c, 0x61,
    0x6e, 0x30, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x08, 0x00, 0x80, 0x00, 0x00, 0x00, 0x14, 0x00, 0x06, 0x00,
    0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x7a, 0x70, 0x07, 0x00, 0x7a, 0x70, 0x07, 0x00};
const std::vector<std::uint8_t> kDeletedSecondary{
    0x50, 0x00, 0x00, 0x00, 0x15, 0x00, 0x00, 0x00, 0x77, 0xe6, 0x17, 0x6b, 0xb6, 0x40, 0x00, 0x00,
    0x02, 0x18, 0x81, 0x00, 0x03, 0x00, 0x00, 0x00, 0x08, 0x00, 0x01, 0x00, 0xa9, 0xfe, 0x3c, 0x07,
    0x08, 0x00, 0x02, 0x00, 0xa9, 0xfe, 0x3c, 0x07, 0x09, 0x00, 0x03, 0x00, 0x6c, 0x61, 0x6e, 0x30,
    0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x08, 0x00, 0x81, 0x00, 0x00, 0x00, 0x14, 0x00, 0x06, 0x00,
    0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x7a, 0x70, 0x07, 0x00, 0x7a, 0x70, 0x07, 0x00};

constexpr std::uint32_t kLan = 0xA9FE3C00;  // 169.254.60.0

RtnlMessage Link(std::uint16_t type, std::int32_t index, const std::string& name, std::uint32_t flags)
{
    RtnlMessage message;
    message.type = type;
    message.kind = RtnlKind::Link;
    message.link = RtnlLink{index, flags, name};
    return message;
}

RtnlMessage Address(std::uint16_t type, std::int32_t index, std::uint32_t local, bool secondary = false)
{
    RtnlMessage message;
    message.type = type;
    message.kind = RtnlKind::Address;
    message.address.family = AF_INET;
    message.address.prefixLength = 24;
    message.address.index = index;
    message.address.local = local;
    message.address.broadcast = (local & 0xFFFFFF00) | 0xFF;
    message.address.flags = secondary ? IFA_F_SECONDARY : 0;
    return message;
}

// The message with one more attribute at its end.
std::vector<std::uint8_t> WithAttribute(std::vector<std::uint8_t> message, std::uint16_t type,
                                        const std::vector<std::uint8_t>& value)
{
    const auto length = static_cast<std::uint16_t>(4 + value.size());
    message.insert(message.end(), {static_cast<std::uint8_t>(length), 0, static_cast<std::uint8_t>(type), 0});
    message.insert(message.end(), value.begin(), value.end());
    message[0] = static_cast<std::uint8_t>(message.size());
    return message;
}

std::string Refusal(const std::vector<std::uint8_t>& bytes)
{
    std::string error;
    return DecodeRtnl(bytes, &error) ? "accepted" : error;
}

TEST(RtnlCodec, ReadsWhatTheKernelSentAndRefusesEveryCutOfIt)
{
    const auto added = DecodeRtnl(kNewAddress);
    ASSERT_TRUE(added && added->size() == 1);
    EXPECT_EQ(DescribeRtnl(added->front()), "RTNL new address #3 169.254.60.2/24 brd 169.254.60.255 lan0");
    const auto removed = DecodeRtnl(kDeletedSecondary);
    ASSERT_TRUE(removed && removed->size() == 1);
    EXPECT_TRUE(removed->front().Deletes());
    EXPECT_EQ(DescribeRtnl(removed->front()), "RTNL deleted address #3 169.254.60.7/24 secondary lan0");

    for (std::size_t size = 1; size < kNewAddress.size(); ++size)
        EXPECT_NE(Refusal({kNewAddress.begin(), kNewAddress.begin() + static_cast<std::ptrdiff_t>(size)}), "accepted")
            << size;
    std::vector<std::uint8_t> both = kNewAddress;
    both.insert(both.end(), kDeletedSecondary.begin(), kDeletedSecondary.end());
    EXPECT_EQ(DecodeRtnl(both)->size(), 2u);
}

TEST(RtnlCodec, RoundTripsAndGivesAReasonForEachRefusal)
{
    RtnlMessage done;
    done.type = NLMSG_DONE;
    done.kind = RtnlKind::Done;
    done.sequence = 7;
    for (const RtnlMessage& message :
         {Link(RTM_NEWLINK, 4, "wlan0", IFF_UP | IFF_BROADCAST), Address(RTM_DELADDR, 4, kLan | 9, true), done}) {
        const auto again = DecodeRtnl(EncodeRtnl(message));
        ASSERT_TRUE(again && again->size() == 1);
        EXPECT_EQ(DescribeRtnl(again->front()), DescribeRtnl(message));
    }
    EXPECT_EQ(DescribeRtnl(done), "RTNL done 0 seq=7");

    auto longName = EncodeRtnl(Link(RTM_NEWLINK, 4, "a-name-of-16-chr", IFF_UP));
    EXPECT_EQ(Refusal(longName), "new link: interface name of 16 bytes");
    auto unterminated = EncodeRtnl(Link(RTM_NEWLINK, 4, "wlan0", IFF_UP));
    unterminated[kRtnlHeaderSize + kRtnlLinkSize + 4 + 5] = 'x';  // the NUL after "wlan0"
    EXPECT_EQ(Refusal(unterminated), "new link: interface name without its terminating NUL");
    auto overrun = EncodeRtnl(Link(RTM_NEWLINK, 4, "wlan0", IFF_UP));
    overrun[kRtnlHeaderSize + kRtnlLinkSize] = 0x40;
    EXPECT_EQ(Refusal(overrun), "new link: attribute length 64 beyond its message");
    RtnlMessage noLocal = Address(RTM_NEWADDR, 4, kLan | 9);
    noLocal.address.local.reset();
    EXPECT_EQ(Refusal(WithAttribute(EncodeRtnl(noLocal), IFA_LOCAL, {10, 0, 0, 1, 0})),
              "new address: IPv4 address attribute of 5 bytes");
    auto shortLength = EncodeRtnl(done);
    shortLength[0] = 8;
    EXPECT_EQ(Refusal(shortLength), "netlink length 8 below its header");
    RtnlMessage error;
    error.type = NLMSG_ERROR;
    auto bare = EncodeRtnl(error);  // kind Other: no code follows the header
    EXPECT_EQ(Refusal(bare), "error: error message without its code");
}

TEST(InterfaceSelection, FollowsTheSnapshotAndTheConfiguredFilter)
{
    NbInterfaceSnapshot snapshot;
    EXPECT_TRUE(snapshot.Apply(Link(RTM_NEWLINK, 1, "lo", IFF_UP | IFF_LOOPBACK)));
    snapshot.Apply(Address(RTM_NEWADDR, 1, 0x7F000001));
    snapshot.Apply(Link(RTM_NEWLINK, 3, "lan0", IFF_UP | IFF_BROADCAST));
    snapshot.Apply(Address(RTM_NEWADDR, 3, kLan | 7, true));
    snapshot.Apply(Address(RTM_NEWADDR, 3, kLan | 2));
    snapshot.Apply(Link(RTM_NEWLINK, 4, "wlan0", IFF_BROADCAST));  // down
    snapshot.Apply(Address(RTM_NEWADDR, 4, kLan + 0x100 + 5));
    EXPECT_FALSE(snapshot.Apply(Address(RTM_NEWADDR, 3, kLan | 2))) << "nothing new";

    const NbInterface lan0{"lan0", kLan | 2, kLan | 0xFF};
    NetbtConfig config;
    EXPECT_EQ(SelectInterfaces(config, snapshot), (std::vector<NbInterface>{{"lan0", kLan | 7, kLan | 0xFF}, lan0}));
    config.interfaces = {"wlan0", "lan0", "127.0.0.61", "169.254.60.7", "lan0", "tun9"};
    const std::vector<NbInterface> configured{
        lan0, {"127.0.0.61", 0x7F00003D, std::nullopt}, {"169.254.60.7", kLan | 7, kLan | 0xFF}};
    EXPECT_EQ(SelectInterfaces(config, snapshot), configured) << "the primary address, in the order named, once";

    snapshot.Apply(Link(RTM_NEWLINK, 4, "", IFF_UP | IFF_BROADCAST));  // up; the name is kept
    EXPECT_EQ(SelectInterfaces(config, snapshot).front().name, "wlan0");
    snapshot.Apply(Link(RTM_DELLINK, 3, "lan0", 0));
    EXPECT_EQ(SelectInterfaces(config, snapshot).size(), 2u) << "lan0 went with its addresses";
    EXPECT_TRUE(snapshot.Addresses().size() == 2);
}

TEST(LanaNumbers, InterfacesThatStayKeepTheirNumbersAndNewOnesTakeTheLowestFree)
{
    const NbInterface a{"eth0", 1, 3};
    const NbInterface b{"wlan0", 2, 3};
    const NbInterface c{"tun0", 5, std::nullopt};
    NbLanaNumbers numbers;
    NbLanaPlan plan = numbers.Update({a, b});
    ASSERT_EQ(plan.added.size(), 2u);
    EXPECT_EQ(plan.added[0], std::make_pair(std::uint8_t{0}, a));
    EXPECT_EQ(plan.added[1], std::make_pair(std::uint8_t{1}, b));
    EXPECT_TRUE(numbers.Update({b, a}).Empty()) << "the order wanted does not move numbers";

    plan = numbers.Update({b, c});
    EXPECT_EQ(plan.removed, std::vector<std::uint8_t>{0});
    EXPECT_EQ(plan.added, (std::vector<std::pair<std::uint8_t, NbInterface>>{{0, c}})) << "the lowest free";
    plan = numbers.Update({c});
    plan = numbers.Update({c, a});
    EXPECT_EQ(plan.added.front().first, 1) << "eth0's number is taken: the lowest free";
    plan = numbers.Update({c, a, b});
    EXPECT_EQ(plan.added.front().first, 2) << "wlan0's number is taken too";

    const NbInterface a2{"eth0", 9, 3};  // a new address
    plan = numbers.Update({c, a2, b});
    EXPECT_EQ(plan.removed, std::vector<std::uint8_t>{1});
    EXPECT_EQ(plan.added, (std::vector<std::pair<std::uint8_t, NbInterface>>{{1, a2}})) << "the interface's number";
    const NbInterface b2{"wlan0", 2, std::nullopt};  // another broadcast address: new sockets
    plan = numbers.Update({c, a2, b2});
    EXPECT_EQ(plan.removed, std::vector<std::uint8_t>{2});
    EXPECT_EQ(plan.added.front().first, 2);

    numbers.Drop(2);  // could not be opened
    EXPECT_EQ(numbers.Update({c, a2, b2}).added.size(), 1u) << "tried again";
}

}  // namespace
}  // namespace pl::nb
