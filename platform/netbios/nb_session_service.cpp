// NbSessionService: establishing sessions: listens, calls, the session
// requests of incoming connections.

#include "platform/netbios/nb_session_service.h"

#include "platform/netbios/nb_session_records.h"
#include "platform/netbios/nb_socket.h"

#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace pl::nb {

namespace {

constexpr auto kCallLimit = std::chrono::seconds(10);
constexpr auto kRequestLimit = std::chrono::seconds(5);
constexpr std::size_t kMaxIncoming = 32;

}  // namespace

NbSessionService::NbSessionService(NbLanaContext& context, NbNameTable& names)
    : context_(context), loop_(context.Loop()), names_(names), listener_(loop_, UniqueFd())
{
    if (context_.QueryOnly())
        return;
    listener_.Adopt(OpenTcpListener(context_.Address(), context_.Settings().sessionPort));
    loop_.Watch(listener_.Get(), EPOLLIN, [this](std::uint32_t) { OnAccept(); });
}

NbSessionService::~NbSessionService() = default;

std::uint8_t NbSessionService::FreeLsn() const
{
    for (int step = 1; step <= 254; ++step) {
        const auto lsn = static_cast<std::uint8_t>((lastLsn_ + step - 1) % 254 + 1);
        if (sessions_.find(lsn) == sessions_.end())
            return lsn;
    }
    return 0;
}

std::size_t NbSessionService::OpenSessionCount() const
{
    return sessions_.size() + calls_.size();
}

void NbSessionService::Listen(NCB* ncb, Serial serial)
{
    const auto local = names_.RegisteredName(ncb->ncb_name);
    if (!local)
        return context_.Complete(serial, NRC_NOWILD);
    std::deque<PendingListen>& listens = listens_[local->num];
    std::erase_if(listens, [this](const PendingListen& l) { return context_.Find(l.serial) == nullptr; });
    PendingListen listen{serial, {}, ncb->ncb_callname[0] == '*'};
    std::memcpy(listen.caller.data(), ncb->ncb_callname, NCBNAMSZ);
    listens.push_back(listen);
}

void NbSessionService::EndListens(std::uint8_t num, std::uint8_t code)
{
    const auto it = listens_.find(num);
    if (it == listens_.end())
        return;
    const std::deque<PendingListen> listens = std::move(it->second);
    listens_.erase(it);
    for (const PendingListen& listen : listens)
        context_.Complete(listen.serial, code);
}

void NbSessionService::Call(NCB* ncb, Serial serial)
{
    const auto local = names_.RegisteredName(ncb->ncb_name);
    if (!local || ncb->ncb_callname[0] == '*' || ncb->ncb_callname[0] == 0)
        return context_.Complete(serial, NRC_NOWILD);
    if (OpenSessionCount() >= context_.Limits().sessions)
        return context_.Complete(serial, NRC_LOCTFUL);
    auto call = std::make_unique<NbOutgoingCall>(loop_);
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

void NbSessionService::ConnectCall(Serial serial, std::uint32_t address)
{
    NbOutgoingCall& call = *calls_.at(serial);
    UniqueFd fd;
    if (!StartTcpConnect(fd, context_.Address(), address, context_.Settings().sessionPort))
        return FinishCall(serial, NRC_NOCALL);
    call.socket.Adopt(std::move(fd));
    loop_.Watch(call.socket.Get(), EPOLLOUT | EPOLLIN,
                [this, serial](std::uint32_t events) { OnCallEvent(serial, events); });
    context_.WaitsForSocket(serial, call.socket.Get());
    // A connection that is up already (loopback, a near peer) takes the
    // session request now, without waiting for the socket to report it.
    OnCallEvent(serial, EPOLLOUT);
}

void NbSessionService::OnCallEvent(Serial serial, std::uint32_t events)
{
    const auto it = calls_.find(serial);
    if (it == calls_.end())
        return;
    NbOutgoingCall& call = *it->second;
    if (context_.Find(serial) == nullptr)
        return FinishCall(serial, NRC_CMDCAN);
    if (!call.requestSent) {
        // A send before the connection is up fails with EAGAIN; one after it
        // failed reports the connection's error.
        const auto request = EncodeSessionRequest({NbName{call.remote, ""}, NbName{call.local, ""}});
        const ssize_t sent = ::send(call.socket.Get(), request.data(), request.size(), MSG_NOSIGNAL);
        if (sent < 0 && (errno == EAGAIN || errno == EINTR) && (events & (EPOLLERR | EPOLLHUP)) == 0)
            return;
        if (sent != static_cast<ssize_t>(request.size()))
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
        return context_.Complete(serial, lsn == 0 ? NRC_LOCTFUL : NRC_GOODRET);
    }
    if (reply->type == kNbssNegative && !reply->payload.empty() && reply->payload[0] == kNbssInsufficientResources)
        return FinishCall(serial, NRC_REMTFUL);
    FinishCall(serial, NRC_NOCALL);
}

void NbSessionService::FinishCall(Serial serial, std::uint8_t code)
{
    const auto it = calls_.find(serial);
    if (it == calls_.end())
        return;
    loop_.CancelTimer(it->second->deadline);
    calls_.erase(it);
    context_.Complete(serial, code);
}

std::uint8_t NbSessionService::NewSession(UniqueFd fd, std::uint8_t nameNum, const NetbiosNameBytes& remote, NCB* ncb,
                                          NbssFramer framer)
{
    const std::uint8_t lsn = FreeLsn();
    if (lsn == 0)
        return 0;
    lastLsn_ = lsn;
    auto session = std::make_unique<NbSession>(loop_, std::move(fd));
    session->lsn = lsn;
    session->nameNum = nameNum;
    session->remote = remote;
    session->framer = std::move(framer);
    session->lastSend = session->lastMessage = loop_.Now();
    if (ncb != nullptr) {
        session->rto = ncb->ncb_rto;
        session->sto = ncb->ncb_sto;
        ncb->ncb_lsn = lsn;
        ncb->ncb_num = nameNum;
        std::memcpy(ncb->ncb_callname, remote.data(), NCBNAMSZ);
    }
    const int raw = session->socket.Get();
    session->keepAliveTimer = loop_.After(kKeepAliveInterval, [this, lsn] { KeepAlive(lsn); });
    NbSession& stored = *(sessions_[lsn] = std::move(session));
    // Watched for input once a receive waits (UpdateSessionInterest).
    loop_.Watch(raw, 0, [this, lsn](std::uint32_t events) { OnSessionEvent(lsn, events); });
    // Bytes that came with the session response are already framed.
    while (auto packet = stored.framer.Next()) {
        if (packet->type == kNbssMessage) {
            stored.inboundBytes += packet->payload.size();
            stored.inbound.push_back(std::move(packet->payload));
        }
    }
    return lsn;
}

void NbSessionService::OnAccept()
{
    for (;;) {
        UniqueFd fd(::accept4(listener_.Get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!fd.Valid())
            return;
        if (incoming_.size() >= kMaxIncoming) {
            // A flood of connections that ask for nothing must not keep
            // others out: the oldest waiting one gives way.
            DropIncoming(incoming_.begin()->first);
        }
        const int raw = fd.Get();
        auto incoming = std::make_unique<NbIncomingConnection>(loop_, std::move(fd));
        incoming->deadline = loop_.After(std::chrono::duration_cast<std::chrono::milliseconds>(kRequestLimit),
                                         [this, raw] { DropIncoming(raw); });
        incoming_[raw] = std::move(incoming);
        loop_.Watch(raw, EPOLLIN, [this, raw](std::uint32_t events) { OnIncoming(raw, events); });
        // A caller on a near network sends its session request with the
        // connection: answered now, it costs no second turn of the loop.
        OnIncoming(raw, EPOLLIN);
    }
}

void NbSessionService::DropIncoming(int fd)
{
    const auto it = incoming_.find(fd);
    if (it == incoming_.end())
        return;
    loop_.CancelTimer(it->second->deadline);
    incoming_.erase(it);
    ++context_.Counters().droppedConnections;
}

void NbSessionService::OnIncoming(int fd, std::uint32_t)
{
    const auto it = incoming_.find(fd);
    if (it == incoming_.end())
        return;
    NbIncomingConnection& incoming = *it->second;
    std::uint8_t buffer[1024];
    const ssize_t size = ::recv(fd, buffer, sizeof buffer, 0);
    if (size < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (size <= 0)
        return DropIncoming(fd);
    if (!incoming.framer.Feed({buffer, static_cast<std::size_t>(size)})) {
        ++context_.Counters().malformedPackets;
        return DropIncoming(fd);
    }
    while (auto packet = incoming.framer.Next()) {
        if (packet->type == kNbssKeepAlive)
            continue;
        const auto request = packet->type == kNbssRequest ? DecodeSessionRequest(packet->payload) : std::nullopt;
        if (!request) {
            ++context_.Counters().malformedPackets;
            return DropIncoming(fd);
        }
        return AnswerSessionRequest(fd, *request);
    }
}

std::uint8_t NbSessionService::ChooseListener(std::uint8_t num, const NetbiosNameBytes& caller, PendingListen& chosen)
{
    const auto found = listens_.find(num);
    if (found == listens_.end())
        return HasOpenSession(num) ? kNbssInsufficientResources : kNbssNotListeningOnCalled;
    std::deque<PendingListen>& listens = found->second;
    std::erase_if(listens, [this](const PendingListen& l) { return context_.Find(l.serial) == nullptr; });
    auto it = std::find_if(listens.begin(), listens.end(),
                           [&caller](const PendingListen& l) { return !l.anyCaller && l.caller == caller; });
    if (it == listens.end())
        it = std::find_if(listens.begin(), listens.end(), [](const PendingListen& l) { return l.anyCaller; });
    if (it == listens.end() && listens.empty() && HasOpenSession(num))
        return kNbssInsufficientResources;  // it serves as many sessions as it takes
    if (it == listens.end())
        return listens.empty() ? kNbssNotListeningOnCalled : kNbssNotListeningForCalling;
    if (OpenSessionCount() >= context_.Limits().sessions || FreeLsn() == 0)
        return kNbssInsufficientResources;
    chosen = *it;
    listens.erase(it);
    return 0;
}

void NbSessionService::AnswerSessionRequest(int fd, const NbssSessionRequest& request)
{
    auto node = incoming_.extract(fd);
    loop_.CancelTimer(node.mapped()->deadline);
    UniqueFd socket = node.mapped()->socket.Release();
    NbssFramer framer = std::move(node.mapped()->framer);
    const auto called =
        request.called.scope.empty() ? names_.RegisteredName(request.called.bytes) : std::optional<NbLocalName>();
    PendingListen listen{};
    const std::uint8_t error =
        !called ? kNbssCalledNotPresent : ChooseListener(called->num, request.calling.bytes, listen);
    if (error != 0) {
        const std::uint8_t code = error;
        const auto reply = EncodeNbss(kNbssNegative, {&code, 1});
        ::send(socket.Get(), reply.data(), reply.size(), MSG_NOSIGNAL);
        ++context_.Counters().droppedConnections;
        return;
    }
    const int raw = socket.Get();
    NCB* ncb = context_.Find(listen.serial);
    const std::uint8_t lsn = NewSession(std::move(socket), called->num, request.calling.bytes, ncb, std::move(framer));
    const auto reply = EncodeNbss(kNbssPositive, {});
    if (lsn == 0 || ::send(raw, reply.data(), reply.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(reply.size())) {
        if (lsn != 0)
            RemoveSession(lsn);
        ++context_.Counters().droppedConnections;
        listens_[called->num].push_front(listen);  // the listen waits for the next caller
        return;
    }
    if (context_.Settings().sessionIdleTimeout.count() > 0)
        WatchIdle(lsn, context_.Settings().sessionIdleTimeout);
    context_.Complete(listen.serial, NRC_GOODRET);
}

bool NbSessionService::HasOpenSession(std::uint8_t num) const
{
    return std::any_of(sessions_.begin(), sessions_.end(),
                       [num](const auto& s) { return s.second->nameNum == num && !s.second->closed; });
}

void NbSessionService::AbortSessions()
{
    std::vector<std::uint8_t> lsns;
    for (const auto& [lsn, session] : sessions_)
        lsns.push_back(lsn);
    for (const std::uint8_t lsn : lsns)  // a pending hang-up removes its session
        if (const auto it = sessions_.find(lsn); it != sessions_.end())
            CloseSession(*it->second, NRC_SABORT);
}

void NbSessionService::Shutdown()
{
    while (!sessions_.empty())
        RemoveSession(sessions_.begin()->first);
    while (!incoming_.empty())
        DropIncoming(incoming_.begin()->first);
    for (const auto& [serial, call] : calls_)
        loop_.CancelTimer(call->deadline);
    calls_.clear();
    listens_.clear();
}

}  // namespace pl::nb
