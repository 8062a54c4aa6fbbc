#pragma once
// The connection records of NbSessionService: a session, an incoming
// connection that has not yet asked for a session, and an outgoing call in
// progress. Each stops watching its socket when destroyed; their timers are
// cancelled by the service. Loop code only, like the service.

#include "platform/netbios/nb30.h"
#include "platform/netbios/nb_clock.h"
#include "platform/netbios/nb_event_loop.h"
#include "platform/netbios/nb_requests.h"
#include "platform/netbios/nb_watched_socket.h"
#include "platform/netbios/nbss_codec.h"
#include "platform/text/pl_netbios_name.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <utility>
#include <vector>

namespace pl::nb {

struct NbSession {
    using Serial = NbRequests::Serial;

    NbSession(NbEventLoop& loop, UniqueFd fd) : socket(loop, std::move(fd)) {}

    struct PendingSend {
        Serial serial;
        std::size_t end;  // total output offset at which the message is fully written
    };

    std::uint8_t lsn = 0;
    std::uint8_t nameNum = 0;
    NetbiosNameBytes remote{};
    std::uint8_t rto = 0;
    std::uint8_t sto = 0;
    NbWatchedSocket socket;
    NbssFramer framer;
    bool closed = false;
    std::uint8_t closeCode = NRC_SCLOSED;
    bool readPaused = false;

    std::deque<std::vector<std::uint8_t>> inbound;  // whole messages received, oldest first
    std::size_t inboundOffset = 0;                  // bytes of inbound.front() already delivered
    std::size_t inboundBytes = 0;

    std::deque<Serial> receives;
    std::vector<std::uint8_t> output;
    std::size_t outputWritten = 0;  // of output
    std::size_t outputBase = 0;     // total bytes written before output[0]
    std::deque<PendingSend> sends;
    Serial hangUp = 0;
    NbEventLoop::TimerId hangUpTimer = 0;
    PlNetbiosClock::TimePoint lastSend;
    NbEventLoop::TimerId keepAliveTimer = 0;
    // Sessions a listen accepted end when no message arrives for the idle limit.
    PlNetbiosClock::TimePoint lastMessage;
    NbEventLoop::TimerId idleTimer = 0;
    std::map<Serial, NbEventLoop::TimerId> timeouts;  // of receives and sends with a time limit
};

struct NbIncomingConnection {
    NbIncomingConnection(NbEventLoop& loop, UniqueFd fd) : socket(loop, std::move(fd)) {}
    NbWatchedSocket socket;
    NbssFramer framer;
    NbEventLoop::TimerId deadline = 0;
};

struct NbOutgoingCall {
    explicit NbOutgoingCall(NbEventLoop& loop) : socket(loop, UniqueFd()) {}
    NbWatchedSocket socket;
    NbssFramer framer;
    std::uint8_t nameNum = 0;
    NetbiosNameBytes remote{};
    NetbiosNameBytes local{};
    bool requestSent = false;
    NbEventLoop::TimerId deadline = 0;
};

}  // namespace pl::nb
