#include "platform/netbios/nb_lana.h"

#include <algorithm>

namespace pl::nb {

NbLana::NbLana(std::uint8_t number, NbLanaSettings settings, NbEventLoop& loop, NbRequests& requests,
               NbCounters& counters)
    : context_(number, std::move(settings), loop, requests, counters),
      names_(context_, *this),
      datagrams_(context_, names_),
      sessions_(context_, names_)
{
}

NbLana::~NbLana() = default;

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
        return context_.Complete(serial, NRC_ILLCMD);
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
    case NCBDGSEND: return datagrams_.Send(ncb, serial, false);
    case NCBDGSENDBC: return datagrams_.Send(ncb, serial, true);
    case NCBDGRECV: return datagrams_.Receive(ncb, serial, false);
    case NCBDGRECVBC: return datagrams_.Receive(ncb, serial, true);
    default: return context_.Complete(serial, NRC_ILLCMD);
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
    context_.Complete(serial, NRC_GOODRET);
}

// Sessions go before names: a name deleted while in use is released when its
// last session ends.
void NbLana::Shutdown(Serial keep, bool keepServiceNames)
{
    context_.CompleteAll(NRC_CMDCAN, keep);
    sessions_.Shutdown();
    names_.Shutdown(keepServiceNames);
    datagrams_.Shutdown();
}

void NbLana::Withdraw()
{
    sessions_.AbortSessions();
    context_.CompleteAll(NRC_BRIDGE, 0);
    sessions_.Shutdown();
    names_.Withdraw();
    datagrams_.Shutdown();
}

void NbLana::SetDatagramTap(DatagramTap tap)
{
    if (!tap)
        return datagrams_.SetTap(nullptr);
    datagrams_.SetTap([this, tap = std::move(tap)](const NbDatagram& datagram) { return tap(*this, datagram); });
}

bool NbLana::NameHasOpenSessions(std::uint8_t num) const
{
    return sessions_.HasOpenSession(num);
}

void NbLana::NameWithdrawn(std::uint8_t num)
{
    sessions_.EndListens(num, NRC_NAMERR);
    datagrams_.EndReceives(num, NRC_NAMERR);
}

void NbLana::NameInConflict(std::uint8_t num)
{
    sessions_.EndListens(num, NRC_NAMCONF);
}

}  // namespace pl::nb
