#include "platform/netbios/nb_lana.h"

#include "platform/netbios/nb_socket.h"

#include <sys/epoll.h>

#include <algorithm>

namespace pl::nb {

NbLana::NbLana(std::uint8_t number, NbLanaSettings settings, NbEventLoop& loop, NbRequests& requests,
               NbCounters& counters)
    : context_(number, std::move(settings), loop, requests, counters),
      loop_(loop),
      counters_(counters),
      settings_(context_.Settings()),
      names_(context_, *this),
      sessions_(context_, names_)
{
    OpenSockets();
}

NbLana::~NbLana() = default;

void NbLana::OpenSockets()
{
    const std::uint32_t address = settings_.interface.address;
    if (settings_.queryOnly) {
        datagramSocket_ = OpenUdp(address, 0, true);  // sends mailslot writes only
        return;
    }
    datagramSocket_ = OpenUdp(address, settings_.datagramPort, true);
    // A socket bound to a unicast address does not see broadcasts; a second
    // one bound to the subnet's broadcast address does.
    if (settings_.broadcastTargets.empty() && settings_.interface.broadcast)
        datagramBroadcastSocket_ = OpenUdp(*settings_.interface.broadcast, settings_.datagramPort, true);
    for (const UniqueFd* fd : {&datagramSocket_, &datagramBroadcastSocket_}) {
        if (fd->Valid())
            loop_.Watch(fd->Get(), EPOLLIN, [this, raw = fd->Get()](std::uint32_t) { OnDatagramSocket(raw); });
    }
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
    if (context_.QueryOnly() && !ServedWhenQueryOnly(command))
        return Complete(serial, NRC_ILLCMD);
    switch (command) {
    case NCBRESET: return Reset(ncb, serial);
    case NCBADDNAME: return names_.AddName(ncb, serial, false);
    case NCBADDGRNAME: return names_.AddName(ncb, serial, true);
    case NCBDELNAME: return names_.DeleteName(ncb, serial);
    case NCBASTAT: return names_.AdapterStatus(ncb, serial);
    case NCBLISTEN: return sessions_.Listen(ncb, serial);
    case NCBCALL: return sessions_.Call(ncb, serial);
    case NCBSEND: return sessions_.Send(ncb, serial);
    case NCBRECV: return sessions_.Receive(ncb, serial);
    case NCBHANGUP: return sessions_.HangUp(ncb, serial);
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
        NbLanaLimits& limits = context_.Limits();
        limits.sessions = sessions == 0 ? NbLanaLimits::kDefault : std::min<std::size_t>(sessions, NbLanaLimits::kMost);
        limits.names = names == 0 ? NbLanaLimits::kDefault : std::min<std::size_t>(names, NbLanaLimits::kMost);
    }
    Shutdown(serial, true);
    Complete(serial, NRC_GOODRET);
}

void NbLana::Shutdown(Serial keep, bool keepServiceNames)
{
    context_.CompleteAll(NRC_CMDCAN, keep);
    sessions_.Shutdown();
    names_.Shutdown(keepServiceNames);
    datagramReceives_.clear();
    anyDatagramReceives_.clear();
    broadcastReceives_.clear();
}

bool NbLana::NameHasOpenSessions(std::uint8_t num) const
{
    return sessions_.HasOpenSession(num);
}

void NbLana::NameWithdrawn(std::uint8_t num)
{
    sessions_.EndListens(num, NRC_NAMERR);
    EndDatagramReceives(num, NRC_NAMERR);
}

void NbLana::NameInConflict(std::uint8_t num)
{
    sessions_.EndListens(num, NRC_NAMCONF);
}

}  // namespace pl::nb
