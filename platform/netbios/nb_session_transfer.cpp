// NbSessionService: data on open sessions (send, receive, keep-alives) and
// their end (hang-up, close by the peer or an error, removal).

#include "platform/netbios/nb_session_service.h"

#include "platform/netbios/nb_session_records.h"

#include <sys/epoll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace pl::nb {

namespace {

constexpr auto kHangUpLimit = std::chrono::seconds(20);
constexpr std::size_t kMaxQueuedInbound = 256 * 1024;
constexpr std::size_t kReadChunk = 65536;

std::chrono::milliseconds HalfSeconds(std::uint8_t units)
{
    return std::chrono::milliseconds(500 * units);
}

}  // namespace

void NbSessionService::Send(NCB* ncb, Serial serial)
{
    const auto it = sessions_.find(ncb->ncb_lsn);
    if (it == sessions_.end())
        return context_.Complete(serial, NRC_SNUMOUT);
    NbSession& session = *it->second;
    if (session.closed)
        return context_.Complete(serial, session.closeCode);
    if (session.hangUp != 0)
        return context_.Complete(serial, NRC_SCLOSED);
    if (ncb->ncb_buffer == nullptr && ncb->ncb_length > 0)
        return context_.Complete(serial, NRC_BUFLEN);
    const auto packet = EncodeNbss(kNbssMessage, {ncb->ncb_buffer, ncb->ncb_length});
    session.output.insert(session.output.end(), packet.begin(), packet.end());
    session.sends.push_back({serial, session.outputBase + session.output.size()});
    session.lastSend = loop_.Now();
    if (session.sto != 0) {
        session.timeouts[serial] = loop_.After(HalfSeconds(session.sto), [this, lsn = session.lsn, serial] {
            const auto found = sessions_.find(lsn);
            if (found == sessions_.end() || context_.Find(serial) == nullptr)
                return;
            found->second->timeouts.erase(serial);
            context_.Complete(serial, NRC_CMDTMO);  // a send that timed out ends the session
            CloseSession(*found->second, NRC_SABORT);
        });
    }
    const std::uint8_t lsn = session.lsn;
    FlushSession(session);
    WaitForSocketIfPending(lsn, serial);
}

void NbSessionService::Receive(NCB* ncb, Serial serial)
{
    const auto it = sessions_.find(ncb->ncb_lsn);
    if (it == sessions_.end())
        return context_.Complete(serial, NRC_SNUMOUT);
    NbSession& session = *it->second;
    std::erase_if(session.receives, [this](Serial pending) { return context_.Find(pending) == nullptr; });
    session.receives.push_back(serial);
    if (session.rto != 0) {
        session.timeouts[serial] = loop_.After(HalfSeconds(session.rto), [this, lsn = session.lsn, serial] {
            const auto found = sessions_.find(lsn);
            if (found != sessions_.end())
                found->second->timeouts.erase(serial);
            context_.Complete(serial, NRC_CMDTMO);  // the session stays open
        });
    }
    // A message the kernel holds already is taken on this thread. (Without
    // a hang-up in progress, a read closes the session at most, never
    // removes it.)
    if (session.inbound.empty() && !session.closed && !session.readPaused && session.hangUp == 0)
        ReadSession(session);
    DeliverReceives(session);
    WaitForSocketIfPending(session.lsn, serial);
}

void NbSessionService::WaitForSocketIfPending(std::uint8_t lsn, Serial serial)
{
    const auto it = sessions_.find(lsn);
    if (it != sessions_.end() && it->second->socket.Valid() && context_.Find(serial) != nullptr)
        context_.WaitsForSocket(serial, it->second->socket.Get());
}

void NbSessionService::HangUp(NCB* ncb, Serial serial)
{
    const auto it = sessions_.find(ncb->ncb_lsn);
    if (it == sessions_.end())
        return context_.Complete(serial, NRC_SNUMOUT);
    NbSession& session = *it->second;
    if (session.closed) {
        const std::uint8_t code = session.closeCode == NRC_SABORT ? NRC_SABORT : NRC_SCLOSED;
        RemoveSession(session.lsn);
        return context_.Complete(serial, code);
    }
    for (const Serial receive : session.receives)
        context_.Complete(receive, NRC_SCLOSED);
    session.receives.clear();
    session.hangUp = serial;
    if (session.outputWritten == session.output.size()) {
        RemoveSession(session.lsn);
        return context_.Complete(serial, NRC_GOODRET);
    }
    const auto limit = std::chrono::duration_cast<std::chrono::milliseconds>(kHangUpLimit);
    loop_.CancelTimer(session.hangUpTimer);  // a second hang-up takes over the time limit
    session.hangUpTimer = loop_.After(limit, [this, lsn = session.lsn, serial] {
        const auto found = sessions_.find(lsn);
        if (found == sessions_.end() || found->second->hangUp != serial)
            return;
        RemoveSession(lsn);
        context_.Complete(serial, NRC_CMDTMO);
    });
    WaitForSocketIfPending(session.lsn, serial);
}

void NbSessionService::OnSessionEvent(std::uint8_t lsn, std::uint32_t events)
{
    const auto it = sessions_.find(lsn);
    if (it == sessions_.end())
        return;
    NbSession& session = *it->second;
    if ((events & EPOLLOUT) != 0)
        FlushSession(session);
    if (sessions_.find(lsn) == sessions_.end())
        return;  // a hang-up finished
    if (!session.closed && (events & (EPOLLIN | EPOLLHUP | EPOLLERR)) != 0)
        ReadSession(session);
    if (sessions_.find(lsn) != sessions_.end())
        DeliverReceives(session);
}

void NbSessionService::ReadSession(NbSession& session)
{
    std::vector<std::uint8_t>& buffer = readBuffer_;
    buffer.resize(kReadChunk);
    while (!session.closed && session.inboundBytes < kMaxQueuedInbound) {
        const ssize_t size = ::recv(session.socket.Get(), buffer.data(), buffer.size(), 0);
        if (size < 0 && (errno == EAGAIN || errno == EINTR))
            break;
        if (size < 0)
            return CloseSession(session, NRC_SABORT);
        if (size == 0)
            return CloseSession(session, NRC_SCLOSED);
        if (!session.framer.Feed({buffer.data(), static_cast<std::size_t>(size)})) {
            ++context_.Counters().malformedPackets;
            return CloseSession(session, NRC_SABORT);
        }
        while (auto packet = session.framer.Next()) {
            if (packet->type == kNbssKeepAlive)
                continue;
            if (packet->type != kNbssMessage) {
                ++context_.Counters().malformedPackets;
                return CloseSession(session, NRC_SABORT);
            }
            session.inboundBytes += packet->payload.size();
            session.inbound.push_back(std::move(packet->payload));
            session.lastMessage = loop_.Now();
        }
        if (static_cast<std::size_t>(size) < buffer.size())
            break;  // the kernel had no more; the socket reports what comes next
    }
    UpdateSessionInterest(session);
}

void NbSessionService::UpdateSessionInterest(NbSession& session)
{
    if (session.closed)
        return;
    // Reading pauses while the receiver lags, so a peer cannot fill memory.
    session.readPaused = session.inboundBytes >= kMaxQueuedInbound;
    // The connection is watched for input only while a receive waits: what
    // comes meanwhile stays with the kernel (which holds the peer back) until
    // a receive takes it on its own thread, and the loop is not woken for a
    // message or a hang-up that a listener is about to ask for anyway.
    const bool reading = !session.receives.empty() && !session.readPaused;
    std::uint32_t events = reading ? static_cast<std::uint32_t>(EPOLLIN) : 0u;
    if (session.outputWritten < session.output.size())
        events |= EPOLLOUT;
    loop_.Modify(session.socket.Get(), events);
}

void NbSessionService::FlushSession(NbSession& session)
{
    while (!session.closed && session.outputWritten < session.output.size()) {
        const ssize_t size = ::send(session.socket.Get(), session.output.data() + session.outputWritten,
                                    session.output.size() - session.outputWritten, MSG_NOSIGNAL);
        if (size < 0 && (errno == EAGAIN || errno == EINTR))
            break;
        if (size <= 0)
            return CloseSession(session, NRC_SABORT);
        session.outputWritten += static_cast<std::size_t>(size);
    }
    const std::size_t written = session.outputBase + session.outputWritten;
    while (!session.sends.empty() && session.sends.front().end <= written) {
        const Serial serial = session.sends.front().serial;
        session.sends.pop_front();
        if (const auto timer = session.timeouts.find(serial); timer != session.timeouts.end()) {
            loop_.CancelTimer(timer->second);
            session.timeouts.erase(timer);
        }
        context_.Complete(serial, NRC_GOODRET);
    }
    if (session.outputWritten == session.output.size()) {
        session.outputBase += session.output.size();
        session.output.clear();
        session.outputWritten = 0;
        if (session.hangUp != 0) {
            const Serial hangUp = session.hangUp;
            RemoveSession(session.lsn);
            return context_.Complete(hangUp, NRC_GOODRET);
        }
    }
    UpdateSessionInterest(session);
}

void NbSessionService::DeliverReceives(NbSession& session)
{
    while (!session.receives.empty() && (!session.inbound.empty() || session.closed)) {
        const Serial serial = session.receives.front();
        session.receives.pop_front();
        NCB* ncb = context_.Find(serial);
        if (ncb == nullptr)
            continue;
        if (const auto timer = session.timeouts.find(serial); timer != session.timeouts.end()) {
            loop_.CancelTimer(timer->second);
            session.timeouts.erase(timer);
        }
        if (session.inbound.empty()) {
            context_.Complete(serial, session.closeCode);
            continue;
        }
        const std::vector<std::uint8_t>& message = session.inbound.front();
        const std::size_t left = message.size() - session.inboundOffset;
        const std::size_t count = ncb->ncb_buffer == nullptr ? 0 : std::min<std::size_t>(left, ncb->ncb_length);
        if (count > 0)
            std::memcpy(ncb->ncb_buffer, message.data() + session.inboundOffset, count);
        ncb->ncb_length = static_cast<std::uint16_t>(count);
        if (count < left) {
            session.inboundOffset += count;
            context_.Complete(serial, NRC_INCOMP);
            continue;
        }
        session.inboundBytes -= message.size();
        session.inbound.pop_front();
        session.inboundOffset = 0;
        context_.Complete(serial, NRC_GOODRET);
    }
    UpdateSessionInterest(session);
}

void NbSessionService::CloseSession(NbSession& session, std::uint8_t code)
{
    if (session.closed)
        return;
    session.closed = true;
    session.closeCode = code;
    loop_.CloseAfterUnlock(session.socket.Release());
    loop_.CancelTimer(session.keepAliveTimer);
    loop_.CancelTimer(session.idleTimer);
    for (const auto& send : session.sends)
        context_.Complete(send.serial, code);
    session.sends.clear();
    session.output.clear();
    session.outputWritten = 0;
    if (session.hangUp != 0) {
        const Serial hangUp = session.hangUp;
        RemoveSession(session.lsn);
        return context_.Complete(hangUp, NRC_GOODRET);
    }
    DeliverReceives(session);
}

void NbSessionService::KeepAlive(std::uint8_t lsn)
{
    const auto it = sessions_.find(lsn);
    if (it == sessions_.end() || it->second->closed)
        return;
    NbSession& session = *it->second;
    if (loop_.Now() - session.lastSend >= kKeepAliveInterval) {
        const auto packet = EncodeNbss(kNbssKeepAlive, {});
        session.output.insert(session.output.end(), packet.begin(), packet.end());
        session.lastSend = loop_.Now();
        FlushSession(session);
    }
    if (sessions_.find(lsn) != sessions_.end() && !session.closed)
        session.keepAliveTimer = loop_.After(kKeepAliveInterval, [this, lsn] { KeepAlive(lsn); });
}

// A session a listen accepted, on which no message arrived for the idle limit
// (no first message, or no next block of a started one), is ended: the peer
// cannot hold it, and with it one of the listener's sessions, for ever.
void NbSessionService::WatchIdle(std::uint8_t lsn, std::chrono::milliseconds after)
{
    const auto it = sessions_.find(lsn);
    if (it == sessions_.end())
        return;
    it->second->idleTimer = loop_.After(after, [this, lsn] {
        const auto found = sessions_.find(lsn);
        if (found == sessions_.end() || found->second->closed)
            return;
        NbSession& session = *found->second;
        session.idleTimer = 0;
        const auto limit =
            std::chrono::duration_cast<std::chrono::milliseconds>(context_.Settings().sessionIdleTimeout);
        const auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(loop_.Now() - session.lastMessage);
        if (idle < limit)
            return WatchIdle(lsn, limit - idle);
        // Bytes the kernel holds came from the peer; it is the listener that
        // has not asked for them yet.
        int unread = 0;
        if (::ioctl(session.socket.Get(), FIONREAD, &unread) == 0 && unread > 0) {
            session.lastMessage = loop_.Now();
            return WatchIdle(lsn, limit);
        }
        ++context_.Counters().idleSessions;
        CloseSession(session, NRC_SABORT);
    });
}

void NbSessionService::RemoveSession(std::uint8_t lsn)
{
    const auto it = sessions_.find(lsn);
    if (it == sessions_.end())
        return;
    NbSession& session = *it->second;
    loop_.CancelTimer(session.keepAliveTimer);
    loop_.CancelTimer(session.hangUpTimer);
    loop_.CancelTimer(session.idleTimer);
    for (const auto& [serial, timer] : session.timeouts)
        loop_.CancelTimer(timer);
    const std::uint8_t num = session.nameNum;
    std::vector<Serial> pending(session.receives.begin(), session.receives.end());
    for (const auto& send : session.sends)
        pending.push_back(send.serial);
    if (session.socket.Valid())
        loop_.CloseAfterUnlock(session.socket.Release());
    sessions_.erase(it);
    for (const Serial serial : pending)
        context_.Complete(serial, NRC_SCLOSED);
    const bool inUse =
        std::any_of(sessions_.begin(), sessions_.end(), [num](const auto& s) { return s.second->nameNum == num; });
    if (!inUse)
        names_.LastSessionEnded(num);
}

}  // namespace pl::nb
