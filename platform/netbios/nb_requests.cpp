#include "platform/netbios/nb_requests.h"

#include "platform/netbios/nb_event_loop.h"

#include <vector>

namespace pl::nb {

namespace {

bool Cancellable(std::uint8_t command)
{
    switch (command & ~ASYNCH) {
    case NCBCALL:
    case NCBLISTEN:
    case NCBRECV:
    case NCBASTAT:
    case NCBDGRECV:
    case NCBDGRECVBC: return true;
    default: return false;
    }
}

}  // namespace

NbRequests::Serial NbRequests::Begin(NCB* ncb, NbSyncWaiter* waiter)
{
    const Serial serial = next_++;
    pending_[serial] = Entry{ncb, waiter, ncb->ncb_lana_num};
    byNcb_[ncb] = serial;
    return serial;
}

NCB* NbRequests::Find(Serial serial) const
{
    const auto it = pending_.find(serial);
    return it == pending_.end() ? nullptr : it->second.ncb;
}

void NbRequests::WaitsForSocket(Serial serial, int fd)
{
    const auto it = pending_.find(serial);
    if (it != pending_.end() && it->second.waiter != nullptr)
        loop_.Lend(fd, *it->second.waiter);
}

void NbRequests::Complete(Serial serial, std::uint8_t code)
{
    const auto it = pending_.find(serial);
    if (it == pending_.end())
        return;
    const Entry entry = it->second;
    pending_.erase(it);
    const auto index = byNcb_.find(entry.ncb);
    if (index != byNcb_.end() && index->second == serial)
        byNcb_.erase(index);
    NCB* ncb = entry.ncb;
    const bool async = (ncb->ncb_command & ASYNCH) != 0;
    PlEvent* event = ncb->ncb_event;
    ncb->ncb_retcode = code;
    ncb->ncb_cmd_cplt = code;
    if (async && ncb->ncb_post != nullptr)
        ncb->ncb_post(ncb);
    if (async && event != nullptr)
        loop_.SetAfterUnlock(event);
    if (entry.waiter != nullptr)
        loop_.Finish(*entry.waiter);
}

std::uint8_t NbRequests::Cancel(const NCB* target)
{
    const auto index = byNcb_.find(target);
    if (index == byNcb_.end())
        return NRC_CANOCCR;
    const Serial serial = index->second;
    if (!Cancellable(pending_.at(serial).ncb->ncb_command))
        return NRC_CANCEL;
    Complete(serial, NRC_CMDCAN);
    return NRC_GOODRET;
}

void NbRequests::CompleteAll(int lana, std::uint8_t code, Serial except)
{
    std::vector<Serial> serials;
    for (const auto& [serial, entry] : pending_)
        if ((lana < 0 || entry.lana == lana) && serial != except)
            serials.push_back(serial);
    for (const Serial serial : serials)
        Complete(serial, code);
}

}  // namespace pl::nb
