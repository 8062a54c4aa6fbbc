#pragma once
// NbRequests: the NCBs a provider has accepted and not yet completed. Each
// submission gets a serial number; work in progress keeps the serial and
// checks with Find that its NCB is still pending before it touches it, so a
// cancelled or reset NCB is never completed twice. Loop code only (the
// provider's state held).

#include "platform/netbios/nb30.h"

#include <cstdint>
#include <unordered_map>

namespace pl::nb {

class NbEventLoop;
class NbSyncWaiter;

class NbRequests {
public:
    using Serial = std::uint64_t;

    explicit NbRequests(NbEventLoop& loop) : loop_(loop) {}
    NbRequests(const NbRequests&) = delete;
    NbRequests& operator=(const NbRequests&) = delete;

    // `waiter`: the waiting caller of a synchronous NCB (null for asynchronous).
    Serial Begin(NCB* ncb, NbSyncWaiter* waiter);
    // The NCB of a pending serial, or null.
    NCB* Find(Serial serial) const;
    // The pending request `serial` waits for socket `fd` alone: a synchronous
    // caller waits for the socket on its own thread (NbEventLoop::Lend).
    void WaitsForSocket(Serial serial, int fd);
    // Completes: sets ncb_retcode and ncb_cmd_cplt, runs ncb_post and signals
    // ncb_event (asynchronous) or the waiting caller (synchronous); the
    // signals go out when the state is released.
    void Complete(Serial serial, std::uint8_t code);
    // Cancels the pending NCB `target`: NRC_GOODRET when it was cancelled (it
    // completes with NRC_CMDCAN), NRC_CANOCCR when it is not pending, NRC_CANCEL
    // when its command cannot be cancelled.
    std::uint8_t Cancel(const NCB* target);
    // Completes every pending NCB of `lana` (every NCB when lana < 0) with
    // `code`, except the NCB of `except`.
    void CompleteAll(int lana, std::uint8_t code, Serial except = 0);

private:
    struct Entry {
        NCB* ncb;
        NbSyncWaiter* waiter;
        std::uint8_t lana;
    };
    NbEventLoop& loop_;
    std::unordered_map<Serial, Entry> pending_;
    std::unordered_map<const NCB*, Serial> byNcb_;
    Serial next_ = 1;
};

}  // namespace pl::nb
