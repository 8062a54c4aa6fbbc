#include "platform/netbios/nb_lana.h"

#include "platform/netbios/nb_lana_session.h"
#include "platform/netbios/nb_socket.h"

#include <sys/epoll.h>

#include <algorithm>
#include <random>

namespace pl::nb {

namespace {

constexpr std::size_t kDefaultMaxNames = 64;
constexpr std::size_t kDefaultMaxSessions = 64;
constexpr std::size_t kLimitNames = 254;
constexpr std::size_t kLimitSessions = 254;

}  // namespace

NbLana::NbLana(std::uint8_t number, NbLanaSettings settings, NbEventLoop& loop, NbRequests& requests,
               NbCounters& counters)
    : number_(number),
      settings_(std::move(settings)),
      loop_(loop),
      requests_(requests),
      counters_(counters),
      maxNames_(kDefaultMaxNames),
      maxSessions_(kDefaultMaxSessions),
      transactionId_(static_cast<std::uint16_t>(std::random_device{}()))
{
    OpenSockets();
}

NbLana::~NbLana() = default;

void NbLana::OpenSockets()
{
    const std::uint32_t address = settings_.interface.address;
    if (settings_.queryOnly) {
        nameSocket_ = OpenUdp(address, 0, true);
        datagramSocket_ = OpenUdp(address, 0, true);  // sends mailslot writes only
        loop_.Watch(nameSocket_.Get(), EPOLLIN, [this](std::uint32_t) { OnNameSocket(nameSocket_.Get()); });
        return;
    }
    nameSocket_ = OpenUdp(address, settings_.namePort, true);
    datagramSocket_ = OpenUdp(address, settings_.datagramPort, true);
    sessionListener_ = OpenTcpListener(address, settings_.sessionPort);
    // A socket bound to a unicast address does not see broadcasts; a second
    // one bound to the subnet's broadcast address does.
    if (settings_.broadcastTargets.empty() && settings_.interface.broadcast) {
        nameBroadcastSocket_ = OpenUdp(*settings_.interface.broadcast, settings_.namePort, true);
        datagramBroadcastSocket_ = OpenUdp(*settings_.interface.broadcast, settings_.datagramPort, true);
    }
    for (const UniqueFd* fd : {&nameSocket_, &nameBroadcastSocket_}) {
        if (fd->Valid())
            loop_.Watch(fd->Get(), EPOLLIN, [this, raw = fd->Get()](std::uint32_t) { OnNameSocket(raw); });
    }
    for (const UniqueFd* fd : {&datagramSocket_, &datagramBroadcastSocket_}) {
        if (fd->Valid())
            loop_.Watch(fd->Get(), EPOLLIN, [this, raw = fd->Get()](std::uint32_t) { OnDatagramSocket(raw); });
    }
    loop_.Watch(sessionListener_.Get(), EPOLLIN, [this](std::uint32_t) { OnAccept(); });
}

std::vector<std::uint32_t> NbLana::BroadcastAddresses() const
{
    std::vector<std::uint32_t> targets = settings_.broadcastTargets;
    if (targets.empty() && settings_.interface.broadcast)
        targets.push_back(*settings_.interface.broadcast);
    if (!settings_.queryOnly)
        std::erase(targets, settings_.interface.address);
    return targets;
}

bool NbLana::IsOwnSource(std::uint32_t address, std::uint16_t port, std::uint16_t ownPort) const
{
    return address == settings_.interface.address && port == ownPort;
}

void NbLana::SendName(const NbnsPacket& packet, std::uint32_t address, std::uint16_t port)
{
    SendUdp(nameSocket_.Get(), EncodeNbns(packet), address, port);
}

void NbLana::BroadcastName(const NbnsPacket& packet)
{
    const auto bytes = EncodeNbns(packet);
    for (const std::uint32_t target : BroadcastAddresses())
        SendUdp(nameSocket_.Get(), bytes, target, settings_.namePort);
}

void NbLana::SendDatagramTo(const std::vector<std::uint8_t>& bytes, std::uint32_t address)
{
    if (!datagramSocket_.Valid())
        return;
    SendUdp(datagramSocket_.Get(), bytes, address, settings_.datagramPort);
}

// A query-only provider also places calls: its names are local calling names
// that are never registered on the network, so a tool can send messages beside
// a running messenger that holds the same names.
bool NbLana::ServedWhenQueryOnly(std::uint8_t command)
{
    switch (command) {
    case NCBASTAT:
    case NCBRESET:
    case NCBADDNAME:
    case NCBDELNAME:
    case NCBCALL:
    case NCBSEND:
    case NCBRECV:
    case NCBHANGUP: return true;
    default: return false;
    }
}

void NbLana::Execute(NCB* ncb, Serial serial)
{
    const std::uint8_t command = ncb->ncb_command & ~ASYNCH;
    if (settings_.queryOnly && !ServedWhenQueryOnly(command))
        return Complete(serial, NRC_ILLCMD);
    switch (command) {
    case NCBRESET: return Reset(ncb, serial);
    case NCBADDNAME: return AddName(ncb, serial, false);
    case NCBADDGRNAME: return AddName(ncb, serial, true);
    case NCBDELNAME: return DeleteName(ncb, serial);
    case NCBASTAT: return AdapterStatus(ncb, serial);
    case NCBLISTEN: return Listen(ncb, serial);
    case NCBCALL: return Call(ncb, serial);
    case NCBSEND: return Send(ncb, serial);
    case NCBRECV: return Receive(ncb, serial);
    case NCBHANGUP: return HangUp(ncb, serial);
    case NCBDGSEND: return SendDatagram(ncb, serial, false);
    case NCBDGSENDBC: return SendDatagram(ncb, serial, true);
    case NCBDGRECV: return ReceiveDatagram(ncb, serial, false);
    case NCBDGRECVBC: return ReceiveDatagram(ncb, serial, true);
    default: return Complete(serial, NRC_ILLCMD);
    }
}

void NbLana::Reset(NCB* ncb, Serial serial)
{
    const std::uint8_t sessions = ncb->ncb_callname[0];
    const std::uint8_t names = ncb->ncb_callname[2];
    if (ncb->ncb_lsn == 0) {
        maxSessions_ = sessions == 0 ? kDefaultMaxSessions : std::min<std::size_t>(sessions, kLimitSessions);
        maxNames_ = names == 0 ? kDefaultMaxNames : std::min<std::size_t>(names, kLimitNames);
    }
    Shutdown(serial, true);
    Complete(serial, NRC_GOODRET);
}

void NbLana::Shutdown(Serial keep, bool keepServiceNames)
{
    requests_.CompleteAll(number_, NRC_CMDCAN, keep);
    while (!sessions_.empty())
        RemoveSession(sessions_.begin()->first);
    while (!incoming_.empty())
        DropIncoming(incoming_.begin()->first);
    calls_.clear();
    for (;;) {
        const auto it = std::find_if(names_.begin(), names_.end(),
                                     [&](const LocalName& entry) { return !(keepServiceNames && entry.service); });
        if (it == names_.end())
            break;
        RemoveName(it->num, it->state == NameState::Registered);
    }
    for (auto& [id, query] : queries_)
        loop_.CancelTimer(query.timer);
    queries_.clear();
    anyDatagramReceives_.clear();
    broadcastReceives_.clear();
}

}  // namespace pl::nb
