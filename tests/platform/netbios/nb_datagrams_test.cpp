// Datagram service of the provider on a loopback LAN.

#include "nb_test_lan.h"

#include <gtest/gtest.h>

#include <cstring>

namespace pl::nb::test {
namespace {

std::unique_ptr<AsyncNcb> StartDatagramReceive(PlNetbiosProvider& host, std::uint8_t command, std::uint8_t num,
                                               std::size_t size = 600)
{
    auto receive = std::make_unique<AsyncNcb>();
    receive->buffer.resize(size);
    receive->ncb.ncb_command = command | ASYNCH;
    receive->ncb.ncb_num = num;
    receive->ncb.ncb_buffer = receive->buffer.data();
    receive->ncb.ncb_length = static_cast<std::uint16_t>(size);
    receive->ncb.ncb_event = &receive->event;
    host.Netbios(&receive->ncb);
    Barrier(host);
    return receive;
}

std::uint8_t SendDatagram(PlNetbiosProvider& host, std::uint8_t command, std::uint8_t num, const std::string& to,
                          const std::string& text)
{
    NCB ncb{};
    ncb.ncb_command = command;
    ncb.ncb_num = num;
    SetName(ncb.ncb_callname, to, 0x03);
    ncb.ncb_buffer = reinterpret_cast<std::uint8_t*>(const_cast<char*>(text.data()));
    ncb.ncb_length = static_cast<std::uint16_t>(text.size());
    return host.Netbios(&ncb);
}

TEST(NetbiosDatagrams, DirectAndBroadcastDatagramsReachTheirReceivers)
{
    TestLan lan(3);
    std::uint8_t from = 0;
    std::uint8_t to = 0;
    ASSERT_EQ(AddName(lan.Host(0), "SENDER", 0x03, false, &from), NRC_GOODRET);
    ASSERT_EQ(AddName(lan.Host(1), "TARGET", 0x03, false, &to), NRC_GOODRET);

    auto direct = StartDatagramReceive(lan.Host(1), NCBDGRECV, to);
    auto bystander = StartDatagramReceive(lan.Host(2), NCBDGRECV, 0xFF);
    ASSERT_EQ(SendDatagram(lan.Host(0), NCBDGSEND, from, "TARGET", "hello"), NRC_GOODRET);
    ASSERT_EQ(direct->Wait(), NRC_GOODRET);
    EXPECT_EQ(std::string(direct->buffer.begin(), direct->buffer.begin() + direct->ncb.ncb_length), "hello");
    NCB sender{};
    SetName(sender.ncb_callname, "SENDER", 0x03);
    EXPECT_EQ(std::memcmp(direct->ncb.ncb_callname, sender.ncb_callname, NCBNAMSZ), 0);
    EXPECT_EQ(bystander->Wait(200), NRC_PENDING) << "not for a name of host 2";

    auto broadcast1 = StartDatagramReceive(lan.Host(1), NCBDGRECVBC, 0);
    auto broadcast2 = StartDatagramReceive(lan.Host(2), NCBDGRECVBC, 0);
    ASSERT_EQ(SendDatagram(lan.Host(0), NCBDGSENDBC, from, "*", "to all"), NRC_GOODRET);
    EXPECT_EQ(broadcast1->Wait(), NRC_GOODRET);
    EXPECT_EQ(broadcast2->Wait(), NRC_GOODRET);
    EXPECT_EQ(broadcast2->ncb.ncb_length, 6);

    auto small = StartDatagramReceive(lan.Host(1), NCBDGRECV, to, 3);
    ASSERT_EQ(SendDatagram(lan.Host(0), NCBDGSEND, from, "TARGET", "truncated"), NRC_GOODRET);
    EXPECT_EQ(small->Wait(), NRC_INCOMP);
    EXPECT_EQ(small->ncb.ncb_length, 3);
    EXPECT_EQ(Cancel(lan.Host(2), &bystander->ncb), NRC_GOODRET);
}

TEST(NetbiosDatagrams, BadSendsAreRefused)
{
    TestLan lan(1);
    std::uint8_t from = 0;
    ASSERT_EQ(AddName(lan.Host(0), "SENDER", 0x03, false, &from), NRC_GOODRET);
    EXPECT_EQ(SendDatagram(lan.Host(0), NCBDGSEND, 77, "X", "x"), NRC_ILLNN);
    EXPECT_EQ(SendDatagram(lan.Host(0), NCBDGSEND, from, "X", std::string(513, 'x')), NRC_BUFLEN);
}

}  // namespace
}  // namespace pl::nb::test
