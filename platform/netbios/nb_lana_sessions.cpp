// NbLana: the session service (RFC 1002 section 4.3 on TCP): listen, call,
// send, receive and hang up, incoming session requests, keep-alives.

#include "platform/netbios/nb_lana.h"

#include "platform/netbios/nb_lana_session.h"
#include "platform/netbios/nb_socket.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace pl::nb {

namespace {

constexpr auto kCallLimit = std::chrono::seconds(10);
constexpr auto kRequestLimit = std::chrono::seconds(5);
constexpr auto kKeepAliveInterval = std::chrono::seconds(60);
constexpr auto kHangUpLimit = std::chrono::seconds(20);
constexpr std::size_t kMaxIncoming = 32;
constexpr std::size_t kMaxQueuedInbound = 256 * 1024;
constexpr std::size_t kReadChunk = 65536;

std::chrono::milliseconds HalfSeconds(std::uint8_t units)
{
    return std::chrono::milliseconds(500 * units);
}

}  // namespace

std::uint8_t NbLana::FreeLsn() const
{
    for (int step = 1; step <= 254; ++step) {
        const auto lsn = static_cast<std::uint8_t>((lastLsn_ + step - 1) % 254 + 1);
        if (sessions_.find(lsn) == sessions_.end())
            return lsn;
    }
    return 0;
}

std::size_t NbLana::OpenSessionCount() const
{
    return sessions_.size() + calls_.size();
}

void NbLana::Listen(NCB* ncb, Serial serial)
{
    const auto local = names_.RegisteredName(ncb->ncb_name);
    if (!local)
        return Complete(serial, NRC_NOWILD);
    std::deque<PendingListen>& listens = listens_[local->num];
    std::erase_if(listens, [this](const PendingListen& l) { return context_.Find(l.serial) == nullptr; });
    PendingListen listen{serial, {}, ncb->ncb_callname[0] == '*'};
    std::memcpy(listen.caller.data(), ncb->ncb_callname, NCBNAMSZ);
    listens.push_back(listen);
}

void NbLana::EndListens(std::uint8_t num, std::uint8_t code)
{
    const auto it = listens_.find(num);
    if (it == listens_.end())
        return;
    const std::deque<PendingListen> listens = std::move(it->second);
    listens_.erase(it);
    for (const PendingListen& listen : listens)
        Complete(listen.serial, code);
}

void NbLana::Call(NCB* ncb, Serial serial)
{
    const auto local = names_.RegisteredName(ncb->ncb_name);
    if (!local || ncb->ncb_callname[0] == '*' || ncb->ncb_callname[0] == 0)
        return Complete(serial, NRC_NOWILD);
    if (OpenSessionCount() >= context_.Limits().sessions)
        return Complete(serial, NRC_LOCTFUL);
    auto call = std::make_unique<OutgoingCall>(loop_);
    call->nameNum = local->num;
    call->local = local->name;
    std::memcpy(call->remote.data(), ncb->ncb_callname, NCBNAMSZ);
    call->deadline = loop_.After(std::chrono::duration_cast<std::chrono::milliseconds>(kCallLimit),
                                 [this, serial] { FinishCall(serial, NRC_CMDTMO); });
    const NetbiosNameBytes remote = call->remote;
    calls_[serial] = std::move(call);
    names_.Resolve(remote, [this, serial](std::optional<NbResolvedName> resolved) {
        if (calls_.find(serial) == calls_.end())
            return;
        if (context_.Find(serial) == nullptr)
            return FinishCall(serial, NRC_CMDCAN);
        if (!resolved || resolved->group)
            return FinishCall(serial, NRC_NOCALL);
        ConnectCall(serial, resolved->address);
    });
}

void NbLana::ConnectCall(Serial serial, std::uint32_t address)
{
    OutgoingCall& call = *calls_.at(serial);
    UniqueFd fd;
    if (!StartTcpConnect(fd, settings_.interface.address, address, settings_.sessionPort))
        return FinishCall(serial, NRC_NOCALL);
    call.socket.Adopt(std::move(fd));
    loop_.Watch(call.socket.Get(), EPOLLOUT | EPOLLIN,
                [this, serial](std::uint32_t events) { OnCallEvent(serial, events); });
}

void NbLana::OnCallEvent(Serial serial, std::uint32_t events)
{
    const auto it = calls_.find(serial);
    if (it == calls_.end())
        return;
    OutgoingCall& call = *it->second;
    if (context_.Find(serial) == nullptr)
        return FinishCall(serial, NRC_CMDCAN);
    if (!call.requestSent) {
        int error = 0;
        socklen_t length = sizeof error;
        getsockopt(call.socket.Get(), SOL_SOCKET, SO_ERROR, &error, &length);
        if (error != 0 || (events & (EPOLLERR | EPOLLHUP)) != 0)
            return FinishCall(serial, NRC_NOCALL);
        const auto request = EncodeSessionRequest({NbName{call.remote, ""}, NbName{call.local, ""}});
        if (::send(call.socket.Get(), request.data(), request.size(), MSG_NOSIGNAL) !=
            static_cast<ssize_t>(request.size()))
            return FinishCall(serial, NRC_NOCALL);
        call.requestSent = true;
        loop_.Modify(call.socket.Get(), EPOLLIN);
        return;
    }
    std::uint8_t buffer[512];
    const ssize_t size = ::recv(call.socket.Get(), buffer, sizeof buffer, 0);
    if (size < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (size <= 0 || !call.framer.Feed({buffer, static_cast<std::size_t>(size)}))
        return FinishCall(serial, NRC_NOCALL);
    const auto reply = call.framer.Next();
    if (!reply)
        return;
    if (reply->type == kNbssPositive) {
        NCB* ncb = context_.Find(serial);
        const std::uint8_t lsn =
            NewSession(call.socket.Release(), call.nameNum, call.remote, ncb, std::move(call.framer));
        loop_.CancelTimer(call.deadline);
        calls_.erase(it);
        return Complete(serial, lsn == 0 ? NRC_LOCTFUL : NRC_GOODRET);
    }
    if (reply->type == kNbssNegative && !reply->payload.empty() && reply->payload[0] == kNbssInsufficientResources)
        return FinishCall(serial, NRC_REMTFUL);
    FinishCall(serial, NRC_NOCALL);
}

void NbLana::FinishCall(Serial serial, std::uint8_t code)
{
    const auto it = calls_.find(serial);
    if (it == calls_.end())
        return;
    loop_.CancelTimer(it->second->deadline);
    calls_.erase(it);
    Complete(serial, code);
}

std::uint8_t NbLana::NewSession(UniqueFd fd, std::uint8_t nameNum, const NetbiosNameBytes& remote, NCB* ncb,
                                NbssFramer framer)
{
    const std::uint8_t lsn = FreeLsn();
    if (lsn == 0)
        return 0;
    lastLsn_ = lsn;
    auto session = std::make_unique<Session>(loop_, std::move(fd));
    session->lsn = lsn;
    session->nameNum = nameNum;
    session->remote = remote;
    session->framer = std::move(framer);
    session->lastSend = loop_.Now();
    if (ncb != nullptr) {
        session->rto = ncb->ncb_rto;
        session->sto = ncb->ncb_sto;
        ncb->ncb_lsn = lsn;
        ncb->ncb_num = nameNum;
        std::memcpy(ncb->ncb_callname, remote.data(), NCBNAMSZ);
    }
    const int raw = session->socket.Get();
    const int one = 1;
    setsockopt(raw, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    session->keepAliveTimer = loop_.After(kKeepAliveInterval, [this, lsn] { KeepAlive(lsn); });
    Session& stored = *(sessions_[lsn] = std::move(session));
    loop_.Watch(raw, EPOLLIN, [this, lsn](std::uint32_t events) { OnSessionEvent(lsn, events); });
    // Bytes that came with the session response are already framed.
    while (auto packet = stored.framer.Next()) {
        if (packet->type == kNbssMessage) {
            stored.inboundBytes += packet->payload.size();
            stored.inbound.push_back(std::move(packet->payload));
        }
    }
    return lsn;
}

void NbLana::Send(NCB* ncb, Serial serial)
{
    const auto it = sessions_.find(ncb->ncb_lsn);
    if (it == sessions_.end())
        return Complete(serial, NRC_SNUMOUT);
    Session& session = *it->second;
    if (session.closed)
        return Complete(serial, session.closeCode);
    if (session.hangUp != 0)
        return Complete(serial, NRC_SCLOSED);
    if (ncb->ncb_buffer == nullptr && ncb->ncb_length > 0)
        return Complete(serial, NRC_BUFLEN);
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
            Complete(serial, NRC_CMDTMO);  // a send that timed out ends the session
            CloseSession(*found->second, NRC_SABORT);
        });
    }
    FlushSession(session);
}

void NbLana::Receive(NCB* ncb, Serial serial)
{
    const auto it = sessions_.find(ncb->ncb_lsn);
    if (it == sessions_.end())
        return Complete(serial, NRC_SNUMOUT);
    Session& session = *it->second;
    std::erase_if(session.receives, [this](Serial pending) { return context_.Find(pending) == nullptr; });
    session.receives.push_back(serial);
    if (session.rto != 0) {
        session.timeouts[serial] = loop_.After(HalfSeconds(session.rto), [this, lsn = session.lsn, serial] {
            const auto found = sessions_.find(lsn);
            if (found != sessions_.end())
                found->second->timeouts.erase(serial);
            Complete(serial, NRC_CMDTMO);  // the session stays open
        });
    }
    DeliverReceives(session);
}

void NbLana::HangUp(NCB* ncb, Serial serial)
{
    const auto it = sessions_.find(ncb->ncb_lsn);
    if (it == sessions_.end())
        return Complete(serial, NRC_SNUMOUT);
    Session& session = *it->second;
    if (session.closed) {
        const std::uint8_t code = session.closeCode == NRC_SABORT ? NRC_SABORT : NRC_SCLOSED;
        RemoveSession(session.lsn);
        return Complete(serial, code);
    }
    for (const Serial receive : session.receives)
        Complete(receive, NRC_SCLOSED);
    session.receives.clear();
    session.hangUp = serial;
    if (session.outputWritten == session.output.size()) {
        RemoveSession(session.lsn);
        return Complete(serial, NRC_GOODRET);
    }
    loop_.After(std::chrono::duration_cast<std::chrono::milliseconds>(kHangUpLimit), [this, lsn = session.lsn, serial] {
        const auto found = sessions_.find(lsn);
        if (found == sessions_.end() || found->second->hangUp != serial)
            return;
        RemoveSession(lsn);
        Complete(serial, NRC_CMDTMO);
    });
}

void NbLana::OnAccept()
{
    for (;;) {
        UniqueFd fd(::accept4(sessionListener_.Get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!fd.Valid())
            return;
        if (incoming_.size() >= kMaxIncoming) {
            // A flood of connections that ask for nothing must not keep
            // others out: the oldest waiting one gives way.
            DropIncoming(incoming_.begin()->first);
        }
        const int raw = fd.Get();
        auto incoming = std::make_unique<Incoming>(loop_, std::move(fd));
        incoming->deadline = loop_.After(std::chrono::duration_cast<std::chrono::milliseconds>(kRequestLimit),
                                         [this, raw] { DropIncoming(raw); });
        incoming_[raw] = std::move(incoming);
        loop_.Watch(raw, EPOLLIN, [this, raw](std::uint32_t events) { OnIncoming(raw, events); });
    }
}

void NbLana::DropIncoming(int fd)
{
    const auto it = incoming_.find(fd);
    if (it == incoming_.end())
        return;
    loop_.CancelTimer(it->second->deadline);
    incoming_.erase(it);
    ++counters_.droppedConnections;
}

void NbLana::OnIncoming(int fd, std::uint32_t)
{
    const auto it = incoming_.find(fd);
    if (it == incoming_.end())
        return;
    Incoming& incoming = *it->second;
    std::uint8_t buffer[1024];
    const ssize_t size = ::recv(fd, buffer, sizeof buffer, 0);
    if (size < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (size <= 0)
        return DropIncoming(fd);
    if (!incoming.framer.Feed({buffer, static_cast<std::size_t>(size)})) {
        ++counters_.malformedPackets;
        return DropIncoming(fd);
    }
    while (auto packet = incoming.framer.Next()) {
        if (packet->type == kNbssKeepAlive)
            continue;
        const auto request = packet->type == kNbssRequest ? DecodeSessionRequest(packet->payload) : std::nullopt;
        if (!request) {
            ++counters_.malformedPackets;
            return DropIncoming(fd);
        }
        return AnswerSessionRequest(fd, *request);
    }
}

std::uint8_t NbLana::ChooseListener(std::uint8_t num, const NetbiosNameBytes& caller, Serial& chosen)
{
    const auto found = listens_.find(num);
    if (found == listens_.end())
        return kNbssNotListeningOnCalled;
    std::deque<PendingListen>& listens = found->second;
    std::erase_if(listens, [this](const PendingListen& l) { return context_.Find(l.serial) == nullptr; });
    auto it = std::find_if(listens.begin(), listens.end(),
                           [&caller](const PendingListen& l) { return !l.anyCaller && l.caller == caller; });
    if (it == listens.end())
        it = std::find_if(listens.begin(), listens.end(), [](const PendingListen& l) { return l.anyCaller; });
    if (it == listens.end())
        return listens.empty() ? kNbssNotListeningOnCalled : kNbssNotListeningForCalling;
    if (OpenSessionCount() >= context_.Limits().sessions || FreeLsn() == 0)
        return kNbssInsufficientResources;
    chosen = it->serial;
    listens.erase(it);
    return 0;
}

void NbLana::AnswerSessionRequest(int fd, const NbssSessionRequest& request)
{
    auto node = incoming_.extract(fd);
    loop_.CancelTimer(node.mapped()->deadline);
    UniqueFd socket = node.mapped()->socket.Release();
    NbssFramer framer = std::move(node.mapped()->framer);
    const auto called =
        request.called.scope.empty() ? names_.RegisteredName(request.called.bytes) : std::optional<NbLocalName>();
    Serial listen = 0;
    const std::uint8_t error =
        !called ? kNbssCalledNotPresent : ChooseListener(called->num, request.calling.bytes, listen);
    if (error != 0) {
        const std::uint8_t code = error;
        const auto reply = EncodeNbss(kNbssNegative, {&code, 1});
        ::send(socket.Get(), reply.data(), reply.size(), MSG_NOSIGNAL);
        ++counters_.droppedConnections;
        return;
    }
    const auto reply = EncodeNbss(kNbssPositive, {});
    if (::send(socket.Get(), reply.data(), reply.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(reply.size())) {
        ++counters_.droppedConnections;
        return;  // the listen stays satisfied by nobody: give it back
    }
    NCB* ncb = context_.Find(listen);
    const std::uint8_t lsn = NewSession(std::move(socket), called->num, request.calling.bytes, ncb, std::move(framer));
    Complete(listen, lsn == 0 ? NRC_LOCTFUL : NRC_GOODRET);
}

void NbLana::OnSessionEvent(std::uint8_t lsn, std::uint32_t events)
{
    const auto it = sessions_.find(lsn);
    if (it == sessions_.end())
        return;
    Session& session = *it->second;
    if ((events & EPOLLOUT) != 0)
        FlushSession(session);
    if (sessions_.find(lsn) == sessions_.end())
        return;  // a hang-up finished
    if (!session.closed && (events & (EPOLLIN | EPOLLHUP | EPOLLERR)) != 0)
        ReadSession(session);
    if (sessions_.find(lsn) != sessions_.end())
        DeliverReceives(session);
}

void NbLana::ReadSession(Session& session)
{
    std::vector<std::uint8_t> buffer(kReadChunk);
    while (!session.closed && session.inboundBytes < kMaxQueuedInbound) {
        const ssize_t size = ::recv(session.socket.Get(), buffer.data(), buffer.size(), 0);
        if (size < 0 && (errno == EAGAIN || errno == EINTR))
            break;
        if (size < 0)
            return CloseSession(session, NRC_SABORT);
        if (size == 0)
            return CloseSession(session, NRC_SCLOSED);
        if (!session.framer.Feed({buffer.data(), static_cast<std::size_t>(size)})) {
            ++counters_.malformedPackets;
            return CloseSession(session, NRC_SABORT);
        }
        while (auto packet = session.framer.Next()) {
            if (packet->type == kNbssKeepAlive)
                continue;
            if (packet->type != kNbssMessage) {
                ++counters_.malformedPackets;
                return CloseSession(session, NRC_SABORT);
            }
            session.inboundBytes += packet->payload.size();
            session.inbound.push_back(std::move(packet->payload));
        }
    }
    UpdateSessionInterest(session);
}

void NbLana::UpdateSessionInterest(Session& session)
{
    if (session.closed)
        return;
    // Reading pauses while the receiver lags, so a peer cannot fill memory.
    session.readPaused = session.inboundBytes >= kMaxQueuedInbound;
    std::uint32_t events = session.readPaused ? 0u : static_cast<std::uint32_t>(EPOLLIN);
    if (session.outputWritten < session.output.size())
        events |= EPOLLOUT;
    loop_.Modify(session.socket.Get(), events);
}

void NbLana::FlushSession(Session& session)
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
        Complete(serial, NRC_GOODRET);
    }
    if (session.outputWritten == session.output.size()) {
        session.outputBase += session.output.size();
        session.output.clear();
        session.outputWritten = 0;
        if (session.hangUp != 0) {
            const Serial hangUp = session.hangUp;
            RemoveSession(session.lsn);
            return Complete(hangUp, NRC_GOODRET);
        }
    }
    UpdateSessionInterest(session);
}

void NbLana::DeliverReceives(Session& session)
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
            Complete(serial, session.closeCode);
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
            Complete(serial, NRC_INCOMP);
            continue;
        }
        session.inboundBytes -= message.size();
        session.inbound.pop_front();
        session.inboundOffset = 0;
        Complete(serial, NRC_GOODRET);
    }
    if (session.readPaused && session.inboundBytes < kMaxQueuedInbound)
        UpdateSessionInterest(session);
}

void NbLana::CloseSession(Session& session, std::uint8_t code)
{
    if (session.closed)
        return;
    session.closed = true;
    session.closeCode = code;
    session.socket.Close();
    loop_.CancelTimer(session.keepAliveTimer);
    for (const auto& send : session.sends)
        Complete(send.serial, code);
    session.sends.clear();
    session.output.clear();
    session.outputWritten = 0;
    if (session.hangUp != 0) {
        const Serial hangUp = session.hangUp;
        RemoveSession(session.lsn);
        return Complete(hangUp, NRC_GOODRET);
    }
    DeliverReceives(session);
}

void NbLana::KeepAlive(std::uint8_t lsn)
{
    const auto it = sessions_.find(lsn);
    if (it == sessions_.end() || it->second->closed)
        return;
    Session& session = *it->second;
    if (loop_.Now() - session.lastSend >= kKeepAliveInterval) {
        const auto packet = EncodeNbss(kNbssKeepAlive, {});
        session.output.insert(session.output.end(), packet.begin(), packet.end());
        session.lastSend = loop_.Now();
        FlushSession(session);
    }
    if (sessions_.find(lsn) != sessions_.end() && !session.closed)
        session.keepAliveTimer = loop_.After(kKeepAliveInterval, [this, lsn] { KeepAlive(lsn); });
}

void NbLana::RemoveSession(std::uint8_t lsn)
{
    const auto it = sessions_.find(lsn);
    if (it == sessions_.end())
        return;
    Session& session = *it->second;
    loop_.CancelTimer(session.keepAliveTimer);
    for (const auto& [serial, timer] : session.timeouts)
        loop_.CancelTimer(timer);
    const std::uint8_t num = session.nameNum;
    std::vector<Serial> pending(session.receives.begin(), session.receives.end());
    for (const auto& send : session.sends)
        pending.push_back(send.serial);
    sessions_.erase(it);
    for (const Serial serial : pending)
        Complete(serial, NRC_SCLOSED);
    const bool inUse =
        std::any_of(sessions_.begin(), sessions_.end(), [num](const auto& s) { return s.second->nameNum == num; });
    if (!inUse)
        names_.LastSessionEnded(num);
}

}  // namespace pl::nb
