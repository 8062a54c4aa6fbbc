#include "nb_test_lan.h"

#include "platform/text/pl_netbios_name.h"

#include <unistd.h>

#include <cstring>

namespace pl::nb::test {

namespace {

constexpr std::uint32_t kFirstHost = 0x7F000000u | 61;  // 127.0.0.61

}  // namespace

std::uint16_t TestLan::BasePort()
{
    // Below the ephemeral range (32768 and up), so that no outgoing socket takes them.
    return static_cast<std::uint16_t>(20000 + (getpid() % 4000) * 3);
}

NetbtConfig TestLan::MakeConfig(int hostIndex, int hosts)
{
    NetbtConfig config;
    const std::uint32_t address = kFirstHost + static_cast<std::uint32_t>(hostIndex);
    config.interfaces = {Ipv4Text(address)};
    config.netbiosName = "HOST" + std::to_string(hostIndex);
    config.namePort = BasePort();
    config.datagramPort = static_cast<std::uint16_t>(BasePort() + 1);
    config.sessionPort = static_cast<std::uint16_t>(BasePort() + 2);
    for (int other = 0; other < hosts; ++other)
        if (other != hostIndex)
            config.broadcastTargets.push_back(kFirstHost + static_cast<std::uint32_t>(other));
    config.oemCodepage = "CP850";
    return config;
}

TestLan::TestLan(int hosts, const std::function<void(NetbtConfig&)>& adjust)
{
    for (int i = 0; i < hosts; ++i) {
        configs_.push_back(MakeConfig(i, hosts));
        if (adjust)
            adjust(configs_.back());
        providers_.push_back(std::make_unique<PlNetbiosProvider>(configs_.back()));
    }
}

std::uint32_t TestLan::Address(int index) const
{
    return kFirstHost + static_cast<std::uint32_t>(index);
}

void SetName(std::uint8_t (&field)[16], const std::string& name, std::uint8_t suffix)
{
    const auto form = MakeNetbiosName(name, suffix, "CP850");
    std::memcpy(field, form.data(), form.size());
}

std::uint8_t AddName(PlNetbiosProvider& host, const std::string& name, std::uint8_t suffix, bool group,
                     std::uint8_t* num)
{
    NCB ncb{};
    ncb.ncb_command = group ? NCBADDGRNAME : NCBADDNAME;
    SetName(ncb.ncb_name, name, suffix);
    const std::uint8_t code = host.Netbios(&ncb);
    if (num != nullptr)
        *num = ncb.ncb_num;
    return code;
}

std::uint8_t DeleteName(PlNetbiosProvider& host, const std::string& name, std::uint8_t suffix)
{
    NCB ncb{};
    ncb.ncb_command = NCBDELNAME;
    SetName(ncb.ncb_name, name, suffix);
    return host.Netbios(&ncb);
}

void Barrier(PlNetbiosProvider& host)
{
    LANA_ENUM lanas{};
    NCB ncb{};
    ncb.ncb_command = NCBENUM;
    ncb.ncb_buffer = reinterpret_cast<std::uint8_t*>(&lanas);
    ncb.ncb_length = sizeof lanas;
    host.Netbios(&ncb);
}

std::uint8_t AsyncNcb::Wait(int ms)
{
    if (!event.Wait(ms))
        return NRC_PENDING;
    return ncb.ncb_retcode;
}

std::unique_ptr<AsyncNcb> StartListen(PlNetbiosProvider& host, const std::string& name, const std::string& caller)
{
    auto listen = std::make_unique<AsyncNcb>();
    listen->ncb.ncb_command = NCBLISTEN | ASYNCH;
    SetName(listen->ncb.ncb_name, name, 0x03);
    if (caller == "*") {
        std::memset(listen->ncb.ncb_callname, ' ', NCBNAMSZ);
        listen->ncb.ncb_callname[0] = '*';
    } else {
        SetName(listen->ncb.ncb_callname, caller, 0x03);
    }
    listen->ncb.ncb_event = &listen->event;
    host.Netbios(&listen->ncb);
    Barrier(host);
    return listen;
}

std::uint8_t Call(PlNetbiosProvider& host, const std::string& from, const std::string& to, std::uint8_t& lsn,
                  std::uint8_t rto, std::uint8_t sto)
{
    NCB ncb{};
    ncb.ncb_command = NCBCALL;
    SetName(ncb.ncb_name, from, 0x03);
    SetName(ncb.ncb_callname, to, 0x03);
    ncb.ncb_rto = rto;
    ncb.ncb_sto = sto;
    const std::uint8_t code = host.Netbios(&ncb);
    lsn = ncb.ncb_lsn;
    return code;
}

std::uint8_t Send(PlNetbiosProvider& host, std::uint8_t lsn, const std::vector<std::uint8_t>& data)
{
    NCB ncb{};
    ncb.ncb_command = NCBSEND;
    ncb.ncb_lsn = lsn;
    ncb.ncb_buffer = const_cast<std::uint8_t*>(data.data());
    ncb.ncb_length = static_cast<std::uint16_t>(data.size());
    return host.Netbios(&ncb);
}

std::uint8_t Receive(PlNetbiosProvider& host, std::uint8_t lsn, std::vector<std::uint8_t>& data, std::size_t size)
{
    data.assign(size, 0);
    NCB ncb{};
    ncb.ncb_command = NCBRECV;
    ncb.ncb_lsn = lsn;
    ncb.ncb_buffer = data.data();
    ncb.ncb_length = static_cast<std::uint16_t>(size);
    const std::uint8_t code = host.Netbios(&ncb);
    data.resize(ncb.ncb_length);
    return code;
}

std::uint8_t HangUp(PlNetbiosProvider& host, std::uint8_t lsn)
{
    NCB ncb{};
    ncb.ncb_command = NCBHANGUP;
    ncb.ncb_lsn = lsn;
    return host.Netbios(&ncb);
}

std::uint8_t Cancel(PlNetbiosProvider& host, NCB* target)
{
    NCB ncb{};
    ncb.ncb_command = NCBCANCEL;
    ncb.ncb_buffer = reinterpret_cast<std::uint8_t*>(target);
    ncb.ncb_length = sizeof(NCB);
    return host.Netbios(&ncb);
}

std::uint8_t AdapterStatus(PlNetbiosProvider& host, const std::string& name, std::uint8_t suffix,
                           std::vector<std::uint8_t>& buffer, std::size_t size)
{
    buffer.assign(size, 0);
    NCB ncb{};
    ncb.ncb_command = NCBASTAT;
    if (name == "*") {
        std::memset(ncb.ncb_callname, ' ', NCBNAMSZ);
        ncb.ncb_callname[0] = '*';
    } else {
        SetName(ncb.ncb_callname, name, suffix);
    }
    ncb.ncb_buffer = buffer.data();
    ncb.ncb_length = static_cast<std::uint16_t>(size);
    const std::uint8_t code = host.Netbios(&ncb);
    buffer.resize(ncb.ncb_length);
    return code;
}

}  // namespace pl::nb::test
