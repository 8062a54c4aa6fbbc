// NbLana: the name table and the name service (RFC 1002 B-node, with an
// optional WINS server): registration, defence, release, queries, node
// status, the cache of remote names and adapter status.

#include "platform/netbios/nb_lana.h"
#include "platform/netbios/nb_socket.h"

#include "platform/netbios/nb_lana_session.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>

namespace pl::nb {

namespace {

constexpr auto kRetryInterval = std::chrono::milliseconds(250);
constexpr int kTries = 3;
constexpr std::uint32_t kNameTtl = 300000;
constexpr std::uint32_t kCacheSeconds = 600;
constexpr std::size_t kCacheLimit = 512;
constexpr std::uint8_t kFirstNameNumber = 2;

constexpr std::uint16_t kRegistrationRequest = 0x2900;  // opcode 5, RD
constexpr std::uint16_t kOverwriteDemand = 0x2800;      // opcode 5
constexpr std::uint16_t kReleaseRequest = 0x3000;       // opcode 6
constexpr std::uint16_t kQueryRequest = 0x0100;         // RD
constexpr std::uint16_t kPositiveQuery = 0x8500;        // R, AA, RD
constexpr std::uint16_t kNodeStatusResponse = 0x8400;   // R, AA
constexpr std::uint16_t kDefence = 0xAD80 | kRcodeActive;

NetbiosNameBytes NameOf(const std::uint8_t* bytes)
{
    NetbiosNameBytes name;
    std::memcpy(name.data(), bytes, name.size());
    return name;
}

std::uint8_t NameFlagsFromWire(std::uint16_t flags)
{
    std::uint8_t result = (flags & kNbGroup) != 0 ? GROUP_NAME : UNIQUE_NAME;
    const bool deregistering = (flags & kNameDeregistering) != 0;
    const bool conflict = (flags & kNameConflict) != 0;
    if (deregistering && conflict)
        return result | DUPLICATE_DEREG;
    if (conflict)
        return result | DUPLICATE;
    if (deregistering)
        return result | DEREGISTERED;
    return result | REGISTERED;
}

}  // namespace

NbLana::LocalName* NbLana::FindName(const std::uint8_t* bytes, bool registeredOnly)
{
    for (LocalName& entry : names_) {
        if (std::memcmp(entry.name.data(), bytes, entry.name.size()) == 0)
            return !registeredOnly || entry.state == NameState::Registered ? &entry : nullptr;
    }
    return nullptr;
}

NbLana::LocalName* NbLana::FindNameByNum(std::uint8_t num)
{
    const auto it = std::find_if(names_.begin(), names_.end(), [num](const LocalName& e) { return e.num == num; });
    return it == names_.end() ? nullptr : &*it;
}

NbnsPacket NbLana::MakeNamePacket(std::uint16_t flags, const NetbiosNameBytes& name, bool group,
                                  std::uint32_t ttl) const
{
    NbnsPacket packet;
    packet.flags = flags;
    NbName wire{name, ""};
    packet.questions.push_back(NbnsQuestion{wire, kTypeNb, kClassIn});
    const NbAddressEntry owner{static_cast<std::uint16_t>((group ? kNbGroup : 0) | kNbNodeB),
                               settings_.interface.address};
    packet.additionals.push_back(NbnsRecord{wire, kTypeNb, kClassIn, ttl, EncodeNbRdata({&owner, 1})});
    return packet;
}

void NbLana::AddName(NCB* ncb, Serial serial, bool group)
{
    const NetbiosNameBytes name = NameOf(ncb->ncb_name);
    if (name[0] == '*' || name[0] == 0)
        return Complete(serial, NRC_NOWILD);
    if (FindName(name.data(), false) != nullptr)
        return Complete(serial, NRC_DUPNAME);
    std::uint8_t num = kFirstNameNumber;
    while (num < 0xFF && FindNameByNum(num) != nullptr)
        ++num;
    if (names_.size() >= maxNames_ || num == 0xFF)
        return Complete(serial, NRC_NAMTFUL);
    LocalName entry;
    entry.name = name;
    entry.num = num;
    entry.group = group;
    entry.addSerial = serial;
    entry.transactionId = NextTransactionId();
    entry.triesLeft = kTries;
    entry.viaWins = settings_.winsServer.has_value();
    names_.push_back(std::move(entry));
    if (settings_.queryOnly) {  // a local calling name only
        names_.back().state = NameState::Registered;
        ncb->ncb_num = num;
        return Complete(serial, NRC_GOODRET);
    }
    SendRegistration(names_.back());
}

void NbLana::SendRegistration(LocalName& entry)
{
    NbnsPacket packet =
        MakeNamePacket(static_cast<std::uint16_t>(kRegistrationRequest | (entry.viaWins ? 0 : kNbnsBroadcast)),
                       entry.name, entry.group, kNameTtl);
    packet.transactionId = entry.transactionId;
    if (entry.viaWins)
        SendName(packet, *settings_.winsServer, settings_.namePort);
    else
        BroadcastName(packet);
    --entry.triesLeft;
    entry.timer = loop_.After(kRetryInterval, [this, num = entry.num] { RegistrationTimedOut(num); });
}

void NbLana::RegistrationTimedOut(std::uint8_t num)
{
    LocalName* entry = FindNameByNum(num);
    if (entry == nullptr || entry->state != NameState::Registering)
        return;
    entry->timer = 0;
    if (entry->triesLeft > 0)
        return SendRegistration(*entry);
    if (entry->viaWins) {  // the server is silent: fall back to broadcast
        entry->viaWins = false;
        entry->triesLeft = kTries;
        entry->transactionId = NextTransactionId();
        return SendRegistration(*entry);
    }
    // Nobody objected: the name is ours.
    NbnsPacket demand = MakeNamePacket(static_cast<std::uint16_t>(kOverwriteDemand | kNbnsBroadcast), entry->name,
                                       entry->group, kNameTtl);
    demand.transactionId = entry->transactionId;
    BroadcastName(demand);
    entry->state = NameState::Registered;
    if (NCB* ncb = requests_.Find(entry->addSerial))
        ncb->ncb_num = entry->num;
    Complete(entry->addSerial, NRC_GOODRET);
}

void NbLana::DeleteName(NCB* ncb, Serial serial)
{
    LocalName* entry = FindName(ncb->ncb_name, false);
    if (entry == nullptr)
        return Complete(serial, NRC_NOWILD);
    if (entry->state == NameState::Registering) {
        Complete(entry->addSerial, NRC_NAMERR);
        RemoveName(entry->num, false);
        return Complete(serial, NRC_GOODRET);
    }
    const std::uint8_t num = entry->num;
    const bool busy = std::any_of(sessions_.begin(), sessions_.end(),
                                  [num](const auto& s) { return s.second->nameNum == num && !s.second->closed; });
    if (!busy) {
        RemoveName(num, entry->state == NameState::Registered && !settings_.queryOnly);
        return Complete(serial, NRC_GOODRET);
    }
    // The name goes when its last session ends; meanwhile it is not in use.
    for (const PendingListen& listen : entry->listens)
        Complete(listen.serial, NRC_NAMERR);
    for (const Serial receive : entry->datagramReceives)
        Complete(receive, NRC_NAMERR);
    entry->listens.clear();
    entry->datagramReceives.clear();
    entry->state = NameState::Deregistering;
    Complete(serial, NRC_ACTSES);
}

void NbLana::RemoveName(std::uint8_t num, bool release)
{
    const auto it = std::find_if(names_.begin(), names_.end(), [num](const LocalName& e) { return e.num == num; });
    if (it == names_.end())
        return;
    loop_.CancelTimer(it->timer);
    for (const PendingListen& listen : it->listens)
        Complete(listen.serial, NRC_NAMERR);
    for (const Serial receive : it->datagramReceives)
        Complete(receive, NRC_NAMERR);
    if (release) {
        NbnsPacket packet = MakeNamePacket(kReleaseRequest | kNbnsBroadcast, it->name, it->group, 0);
        packet.transactionId = NextTransactionId();
        BroadcastName(packet);
        if (settings_.winsServer) {
            packet.flags = kReleaseRequest;
            SendName(packet, *settings_.winsServer, settings_.namePort);
        }
    }
    names_.erase(it);
}

void NbLana::OnNameSocket(int fd)
{
    ReceiveUdpEach(fd, [this](std::span<const std::uint8_t> bytes, std::uint32_t address, std::uint16_t port) {
        const auto packet = DecodeNbns(bytes);
        if (!packet || (packet->questions.empty() && packet->answers.empty())) {
            ++counters_.malformedPackets;
            return;
        }
        if (packet->IsResponse())
            HandleNameResponse(*packet);
        else if (!settings_.queryOnly && !IsOwnSource(address, port, settings_.namePort))
            HandleNameRequest(*packet, address, port);
    });
}

void NbLana::HandleNameRequest(const NbnsPacket& packet, std::uint32_t from, std::uint16_t port)
{
    if (packet.questions.empty() || !packet.questions.front().name.scope.empty())
        return;
    switch (packet.Opcode()) {
    case NbnsOpcode::Query:
        if (packet.questions.front().type == kTypeNbstat)
            return AnswerNodeStatus(packet, from, port);
        return AnswerQuery(packet, from, port);
    case NbnsOpcode::Registration:
    case NbnsOpcode::Refresh: return DefendName(packet, from, port);
    case NbnsOpcode::Release: cache_.erase(packet.questions.front().name.bytes); return;
    default: return;
    }
}

void NbLana::AnswerQuery(const NbnsPacket& packet, std::uint32_t from, std::uint16_t port)
{
    const NbName& name = packet.questions.front().name;
    NbnsPacket answer;
    answer.transactionId = packet.transactionId;
    if (const LocalName* entry = FindName(name.bytes.data(), true)) {
        answer.flags = kPositiveQuery;
        const NbAddressEntry owner{static_cast<std::uint16_t>((entry->group ? kNbGroup : 0) | kNbNodeB),
                                   settings_.interface.address};
        answer.answers.push_back(NbnsRecord{name, kTypeNb, kClassIn, kNameTtl, EncodeNbRdata({&owner, 1})});
    } else if ((packet.flags & kNbnsBroadcast) == 0) {
        answer.flags = kPositiveQuery | kRcodeNameError;
        answer.answers.push_back(NbnsRecord{name, kTypeNull, kClassIn, 0, {}});
    } else {
        return;  // a broadcast query for a name we do not hold gets no answer
    }
    SendName(answer, from, port);
}

void NbLana::AnswerNodeStatus(const NbnsPacket& packet, std::uint32_t from, std::uint16_t port)
{
    const NbName& name = packet.questions.front().name;
    if (name.bytes[0] != '*' && FindName(name.bytes.data(), true) == nullptr)
        return;
    NbnsPacket answer;
    answer.transactionId = packet.transactionId;
    answer.flags = kNodeStatusResponse;
    answer.answers.push_back(NbnsRecord{name, kTypeNbstat, kClassIn, 0, EncodeNodeStatus(LocalStatus())});
    SendName(answer, from, port);
}

void NbLana::DefendName(const NbnsPacket& packet, std::uint32_t from, std::uint16_t port)
{
    const NbName& name = packet.questions.front().name;
    const LocalName* entry = FindName(name.bytes.data(), true);
    if (entry == nullptr || packet.additionals.empty())
        return;
    const auto owners = DecodeNbRdata(packet.additionals.front().rdata);
    const bool groupRequest = !owners.empty() && (owners.front().flags & kNbGroup) != 0;
    if (groupRequest && entry->group)
        return;  // group members do not contest each other
    NbnsPacket defence;
    defence.transactionId = packet.transactionId;
    defence.flags = kDefence;
    defence.answers.push_back(NbnsRecord{name, kTypeNb, kClassIn, 0, packet.additionals.front().rdata});
    SendName(defence, from, port);
}

void NbLana::HandleNameResponse(const NbnsPacket& packet)
{
    if (packet.Opcode() == NbnsOpcode::Registration || packet.Opcode() == NbnsOpcode::Wack) {
        for (LocalName& entry : names_) {
            if (entry.state != NameState::Registering || entry.transactionId != packet.transactionId)
                continue;
            if (packet.Opcode() == NbnsOpcode::Wack) {
                loop_.CancelTimer(entry.timer);
                entry.triesLeft = 1;
                entry.timer =
                    loop_.After(std::chrono::seconds(5), [this, num = entry.num] { RegistrationTimedOut(num); });
                return;
            }
            if (packet.Rcode() != 0) {
                Complete(entry.addSerial, NRC_DUPNAME);
                return RemoveName(entry.num, false);
            }
            if (entry.viaWins) {
                loop_.CancelTimer(entry.timer);
                entry.state = NameState::Registered;
                if (NCB* ncb = requests_.Find(entry.addSerial))
                    ncb->ncb_num = entry.num;
                return Complete(entry.addSerial, NRC_GOODRET);
            }
            return;
        }
        // A conflict demand marks a name of ours as taken elsewhere.
        if (packet.Rcode() == kRcodeConflict && !packet.answers.empty()) {
            if (LocalName* entry = FindName(packet.answers.front().name.bytes.data(), true)) {
                entry->state = NameState::Conflict;
                for (const PendingListen& listen : entry->listens)
                    Complete(listen.serial, NRC_NAMCONF);
                entry->listens.clear();
            }
        }
        return;
    }
    const auto it = queries_.find(packet.transactionId);
    if (it == queries_.end())
        return;
    if (it->second.target == 0 && packet.Rcode() != 0)
        return;  // in a broadcast query only positive answers count
    loop_.CancelTimer(it->second.timer);
    const ResponseHandler handler = std::move(it->second.onResponse);
    queries_.erase(it);
    handler(packet);
}

void NbLana::StartQuery(PendingQuery query)
{
    const std::uint16_t id = query.request.transactionId;
    PendingQuery& stored = queries_[id] = std::move(query);
    if (stored.target != 0)
        SendName(stored.request, stored.target, settings_.namePort);
    else
        BroadcastName(stored.request);
    --stored.triesLeft;
    stored.timer = loop_.After(kRetryInterval, [this, id] { QueryTimedOut(id); });
}

void NbLana::QueryTimedOut(std::uint16_t id)
{
    const auto it = queries_.find(id);
    if (it == queries_.end())
        return;
    if (it->second.triesLeft > 0) {
        PendingQuery query = std::move(it->second);
        queries_.erase(it);
        return StartQuery(std::move(query));
    }
    const auto onTimeout = std::move(it->second.onTimeout);
    queries_.erase(it);
    onTimeout();
}

void NbLana::Resolve(const NetbiosNameBytes& name, ResolveHandler handler)
{
    if (const LocalName* entry = FindName(name.data(), true))
        return handler(Resolved{settings_.interface.address, entry->group});
    const auto cached = cache_.find(name);
    if (cached != cache_.end()) {
        if (cached->second.expires > loop_.Now())
            return handler(Resolved{cached->second.address, cached->second.group});
        cache_.erase(cached);
    }
    if (const auto address = LookupLmhosts(settings_.lmhosts, name))
        return handler(Resolved{*address, false});
    if (!settings_.winsServer)
        return BroadcastResolve(name, std::move(handler));
    PendingQuery query;
    query.request.transactionId = NextTransactionId();
    query.request.flags = kQueryRequest;
    query.request.questions.push_back(NbnsQuestion{NbName{name, ""}, kTypeNb, kClassIn});
    query.target = *settings_.winsServer;
    query.triesLeft = kTries;
    auto shared = std::make_shared<ResolveHandler>(std::move(handler));
    query.onResponse = [this, name, shared](const NbnsPacket& answer) {
        const auto owners =
            answer.answers.empty() ? std::vector<NbAddressEntry>{} : DecodeNbRdata(answer.answers.front().rdata);
        if (answer.Rcode() != 0 || owners.empty())
            return BroadcastResolve(name, std::move(*shared));
        const Resolved resolved{owners.front().address, (owners.front().flags & kNbGroup) != 0};
        RememberName(name, resolved, answer.answers.front().ttl);
        (*shared)(resolved);
    };
    query.onTimeout = [this, name, shared] { BroadcastResolve(name, std::move(*shared)); };
    StartQuery(std::move(query));
}

void NbLana::BroadcastResolve(const NetbiosNameBytes& name, ResolveHandler handler)
{
    PendingQuery query;
    query.request.transactionId = NextTransactionId();
    query.request.flags = kQueryRequest | kNbnsBroadcast;
    query.request.questions.push_back(NbnsQuestion{NbName{name, ""}, kTypeNb, kClassIn});
    query.triesLeft = kTries;
    auto shared = std::make_shared<ResolveHandler>(std::move(handler));
    query.onResponse = [this, name, shared](const NbnsPacket& answer) {
        const auto owners =
            answer.answers.empty() ? std::vector<NbAddressEntry>{} : DecodeNbRdata(answer.answers.front().rdata);
        if (owners.empty())
            return (*shared)(std::nullopt);
        const Resolved resolved{owners.front().address, (owners.front().flags & kNbGroup) != 0};
        RememberName(name, resolved, answer.answers.front().ttl);
        (*shared)(resolved);
    };
    query.onTimeout = [shared] { (*shared)(std::nullopt); };
    StartQuery(std::move(query));
}

void NbLana::RememberName(const NetbiosNameBytes& name, const Resolved& resolved, std::uint32_t ttl)
{
    const std::uint32_t seconds = ttl == 0 || ttl > kCacheSeconds ? kCacheSeconds : ttl;
    if (cache_.size() >= kCacheLimit && cache_.find(name) == cache_.end()) {
        const auto oldest = std::min_element(cache_.begin(), cache_.end(), [](const auto& a, const auto& b) {
            return a.second.expires < b.second.expires;
        });
        cache_.erase(oldest);
    }
    cache_[name] = CacheEntry{resolved.address, resolved.group, loop_.Now() + std::chrono::seconds(seconds)};
}

std::vector<NbCachedName> NbLana::CachedNames() const
{
    std::vector<NbCachedName> result;
    const auto now = loop_.Now();
    for (const auto& [name, entry] : cache_) {
        if (entry.expires <= now)
            continue;
        result.push_back(NbCachedName{name, entry.address, entry.group,
                                      std::chrono::ceil<std::chrono::seconds>(entry.expires - now)});
    }
    return result;
}

NodeStatus NbLana::LocalStatus() const
{
    NodeStatus status;
    for (const LocalName& entry : names_) {
        if (entry.state == NameState::Registering)
            continue;
        std::uint16_t flags = static_cast<std::uint16_t>((entry.group ? kNbGroup : 0) | kNbNodeB | kNameActive);
        if (entry.state == NameState::Conflict)
            flags |= kNameConflict;
        if (entry.state == NameState::Deregistering)
            flags |= kNameDeregistering;
        status.names.push_back(NodeStatusName{entry.name, flags});
    }
    return status;
}

void NbLana::QueryNodeStatus(std::uint32_t address, const NetbiosNameBytes& name, StatusHandler handler)
{
    if (address == settings_.interface.address && !settings_.queryOnly)
        return handler(LocalStatus());
    PendingQuery query;
    query.request.transactionId = NextTransactionId();
    query.request.questions.push_back(NbnsQuestion{NbName{name, ""}, kTypeNbstat, kClassIn});
    query.target = address;
    query.triesLeft = kTries;
    auto shared = std::make_shared<StatusHandler>(std::move(handler));
    query.onResponse = [this, shared](const NbnsPacket& answer) {
        std::optional<NodeStatus> status;
        if (!answer.answers.empty() && answer.answers.front().type == kTypeNbstat)
            status = DecodeNodeStatus(answer.answers.front().rdata);
        if (!status)
            ++counters_.malformedPackets;
        (*shared)(status);
    };
    query.onTimeout = [shared] { (*shared)(std::nullopt); };
    StartQuery(std::move(query));
}

std::vector<NAME_BUFFER> NbLana::LocalNameBuffers() const
{
    std::vector<NAME_BUFFER> buffers;
    for (const LocalName& entry : names_) {
        NAME_BUFFER buffer{};
        std::memcpy(buffer.name, entry.name.data(), NCBNAMSZ);
        buffer.name_num = entry.num;
        std::uint8_t state = REGISTERED;
        if (entry.state == NameState::Registering)
            state = REGISTERING;
        else if (entry.state == NameState::Conflict)
            state = DUPLICATE;
        else if (entry.state == NameState::Deregistering)
            state = DEREGISTERED;
        buffer.name_flags = static_cast<std::uint8_t>((entry.group ? GROUP_NAME : UNIQUE_NAME) | state);
        buffers.push_back(buffer);
    }
    return buffers;
}

void NbLana::AdapterStatus(NCB* ncb, Serial serial)
{
    if (ncb->ncb_buffer == nullptr || ncb->ncb_length < sizeof(ADAPTER_STATUS))
        return Complete(serial, NRC_BUFLEN);
    const NetbiosNameBytes name = NameOf(ncb->ncb_callname);
    if (name[0] == '*' || FindName(name.data(), true) != nullptr)
        return FinishAdapterStatus(serial, LocalNameBuffers(), {});
    Resolve(name, [this, serial, name](std::optional<Resolved> resolved) {
        if (requests_.Find(serial) == nullptr)
            return;
        if (!resolved)
            return Complete(serial, NRC_NOCALL);
        NodeStatusByAddressFor(serial, resolved->address, name);
    });
}

void NbLana::NodeStatusByAddress(std::uint32_t address, NCB* ncb, Serial serial)
{
    if (ncb->ncb_buffer == nullptr || ncb->ncb_length < sizeof(ADAPTER_STATUS))
        return Complete(serial, NRC_BUFLEN);
    NodeStatusByAddressFor(serial, address, WildcardName().bytes);
}

void NbLana::NodeStatusByAddressFor(Serial serial, std::uint32_t address, const NetbiosNameBytes& name)
{
    QueryNodeStatus(address, name, [this, serial](std::optional<NodeStatus> status) {
        if (requests_.Find(serial) == nullptr)
            return;
        if (!status)
            return Complete(serial, NRC_CMDTMO);
        std::vector<NAME_BUFFER> buffers;
        for (const NodeStatusName& entry : status->names) {
            NAME_BUFFER buffer{};
            std::memcpy(buffer.name, entry.name.data(), NCBNAMSZ);
            buffer.name_flags = NameFlagsFromWire(entry.flags);
            buffers.push_back(buffer);
        }
        FinishAdapterStatus(serial, buffers, status->unitId);
    });
}

void NbLana::FinishAdapterStatus(Serial serial, const std::vector<NAME_BUFFER>& names,
                                 const std::array<std::uint8_t, 6>& unitId)
{
    NCB* ncb = requests_.Find(serial);
    if (ncb == nullptr)
        return;
    const std::size_t room = (ncb->ncb_length - sizeof(ADAPTER_STATUS)) / sizeof(NAME_BUFFER);
    const std::size_t count = std::min(room, names.size());
    ADAPTER_STATUS status{};
    std::memcpy(status.adapter_address, unitId.data(), unitId.size());
    status.rev_major = 3;
    status.adapter_type = 0xFE;
    status.max_cfg_sess = static_cast<std::uint16_t>(maxSessions_);
    status.max_sess = static_cast<std::uint16_t>(maxSessions_);
    status.max_dgram_size = 512;
    status.max_sess_pkt_size = 0xFFFF;
    status.name_count = static_cast<std::uint16_t>(count);
    std::memcpy(ncb->ncb_buffer, &status, sizeof status);
    if (count > 0)
        std::memcpy(ncb->ncb_buffer + sizeof status, names.data(), count * sizeof(NAME_BUFFER));
    ncb->ncb_length = static_cast<std::uint16_t>(sizeof status + count * sizeof(NAME_BUFFER));
    Complete(serial, count < names.size() ? NRC_INCOMP : NRC_GOODRET);
}

}  // namespace pl::nb
