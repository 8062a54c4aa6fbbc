#include "transport/netbios/nb_primitives.h"

#include "platform/sync/pl_event.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace pl::ncb {
namespace {

using Clock = std::chrono::steady_clock;

// Submits an asynchronous NCB; true when it completed at once (the provider
// refused it before queueing), in which case ncb_retcode holds the result.
bool SubmitAsync(const PlNetbiosEntry& entry, NCB& ncb, PlEvent& event)
{
    event.ResetEvent();
    ncb.ncb_command |= ASYNCH;
    ncb.ncb_event = &event;
    const std::uint8_t rc = entry(&ncb);
    if (rc != NRC_GOODRET && ncb.ncb_cmd_cplt != NRC_PENDING) {
        ncb.ncb_retcode = rc;
        return true;
    }
    return false;
}

}  // namespace

NCB MakeNcb(std::uint8_t command, std::uint8_t lana)
{
    NCB ncb{};
    ncb.ncb_command = command;
    ncb.ncb_lana_num = lana;
    std::memset(ncb.ncb_callname, ' ', NCBNAMSZ);
    std::memset(ncb.ncb_name, ' ', NCBNAMSZ);
    return ncb;
}

void SetName(std::uint8_t (&field)[NCBNAMSZ], const pl::NetbiosNameBytes& name)
{
    std::copy(name.begin(), name.end(), field);
}

std::uint8_t EnumerateAdapters(const PlNetbiosEntry& entry, LANA_ENUM& lanas)
{
    NCB ncb = MakeNcb(NCBENUM, 0);
    lanas = LANA_ENUM{};
    ncb.ncb_buffer = reinterpret_cast<std::uint8_t*>(&lanas);
    ncb.ncb_length = sizeof(LANA_ENUM);
    return entry(&ncb);
}

std::uint8_t ResetAdapter(const PlNetbiosEntry& entry, std::uint8_t lana)
{
    NCB ncb = MakeNcb(NCBRESET, lana);
    std::memset(ncb.ncb_callname, 0, NCBNAMSZ);
    ncb.ncb_callname[0] = kResetSessions;
    ncb.ncb_callname[2] = kResetNames;
    return entry(&ncb);
}

std::uint8_t AddName(const PlNetbiosEntry& entry, std::uint8_t lana, const pl::NetbiosNameBytes& name)
{
    NCB ncb = MakeNcb(NCBADDNAME, lana);
    SetName(ncb.ncb_name, name);
    return entry(&ncb);
}

std::uint8_t DeleteName(const PlNetbiosEntry& entry, std::uint8_t lana, const pl::NetbiosNameBytes& name)
{
    NCB ncb = MakeNcb(NCBDELNAME, lana);
    SetName(ncb.ncb_name, name);
    return entry(&ncb);
}

std::uint8_t HangUp(const PlNetbiosEntry& entry, std::uint8_t lana, std::uint8_t lsn)
{
    NCB ncb = MakeNcb(NCBHANGUP, lana);
    ncb.ncb_lsn = lsn;
    return entry(&ncb);
}

std::uint8_t Receive(const PlNetbiosEntry& entry, std::uint8_t lana, std::uint8_t lsn, std::uint8_t* buffer,
                     std::uint16_t& length)
{
    NCB ncb = MakeNcb(NCBRECV, lana);
    ncb.ncb_lsn = lsn;
    ncb.ncb_buffer = buffer;
    ncb.ncb_length = length;
    const std::uint8_t rc = entry(&ncb);
    length = ncb.ncb_length;
    return rc;
}

std::uint8_t Send(const PlNetbiosEntry& entry, std::uint8_t lana, std::uint8_t lsn, const std::uint8_t* buffer,
                  std::uint16_t length)
{
    NCB ncb = MakeNcb(NCBSEND, lana);
    ncb.ncb_lsn = lsn;
    ncb.ncb_buffer = const_cast<std::uint8_t*>(buffer);  // a send only reads it
    ncb.ncb_length = length;
    return entry(&ncb);
}

std::uint8_t Cancel(const PlNetbiosEntry& entry, std::uint8_t lana, NCB& target)
{
    NCB ncb = MakeNcb(NCBCANCEL, lana);
    ncb.ncb_buffer = reinterpret_cast<std::uint8_t*>(&target);
    ncb.ncb_length = 64;
    return entry(&ncb);
}

std::uint8_t TimedSubmit(const PlNetbiosEntry& entry, NCB& ncb, int limitMs)
{
    PlEvent event(PlEvent::Reset::Manual);
    const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    const std::uint8_t command = ncb.ncb_command;
    bool seen = false;
    bool pending = false;
    std::uint8_t last = NRC_CMDTMO;
    for (;;) {
        ncb.ncb_command = command;
        if (!SubmitAsync(entry, ncb, event)) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (!event.Wait(static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0)))) {
                pending = true;  // the time limit ran out first
                break;
            }
        }
        seen = true;
        last = ncb.ncb_retcode;
        const auto left = deadline - Clock::now();
        if ((last != NRC_NOCALL && last != NRC_REMTFUL) || left <= std::chrono::milliseconds(0))
            break;
        std::this_thread::sleep_for(std::min<Clock::duration>(left, std::chrono::milliseconds(kResubmitPauseMs)));
    }
    // Whatever its state, the NCB is cancelled. A pending NCB must have
    // completed before it leaves this function, since the provider writes it.
    Cancel(entry, ncb.ncb_lana_num, ncb);
    if (pending)
        event.Wait(PlEvent::kInfinite);
    return seen ? last : NRC_CMDTMO;
}

std::uint8_t AdapterStatus(const PlNetbiosEntry& entry, std::uint8_t lana, const pl::NetbiosNameBytes& name,
                           std::uint8_t* buffer, std::uint16_t length, int limitMs)
{
    NCB ncb = MakeNcb(NCBASTAT, lana);
    SetName(ncb.ncb_callname, name);
    ncb.ncb_buffer = buffer;
    ncb.ncb_length = length;
    return TimedSubmit(entry, ncb, limitMs);
}

}  // namespace pl::ncb
