// NbNameService: queries of its own (name queries to the WINS server and by
// broadcast, node status), name resolution and adapter status.

#include "platform/netbios/nb_name_service.h"

#include "platform/netbios/nb_lmhosts.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

namespace pl::nb {

namespace {

constexpr std::uint16_t kQueryRequest = 0x0100;  // RD

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

// The first owner an answer names, or nothing.
std::optional<NbResolvedName> OwnerIn(const NbnsPacket& answer)
{
    const auto owners =
        answer.answers.empty() ? std::vector<NbAddressEntry>{} : DecodeNbRdata(answer.answers.front().rdata);
    if (owners.empty())
        return std::nullopt;
    return NbResolvedName{owners.front().address, (owners.front().flags & kNbGroup) != 0};
}

}  // namespace

void NbNameService::StartQuery(PendingQuery query)
{
    const std::uint16_t id = query.request.transactionId;
    PendingQuery& stored = queries_[id] = std::move(query);
    if (stored.target != 0)
        SendName(stored.request, stored.target, context_.Settings().namePort);
    else
        BroadcastName(stored.request);
    --stored.triesLeft;
    stored.timer = loop_.After(kRetryInterval, [this, id] { QueryTimedOut(id); });
}

void NbNameService::QueryTimedOut(std::uint16_t id)
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

void NbNameService::Resolve(const NetbiosNameBytes& name, ResolveHandler handler)
{
    if (const LocalName* entry = FindName(name, true))
        return handler(NbResolvedName{context_.Address(), entry->group});
    if (const auto cached = cache_.Lookup(name))
        return handler(*cached);
    const NbLanaSettings& settings = context_.Settings();
    if (const auto address = LookupLmhosts(settings.lmhosts, name))
        return handler(NbResolvedName{*address, false});
    if (!settings.winsServer)
        return BroadcastResolve(name, std::move(handler));
    PendingQuery query;
    query.request.transactionId = NextTransactionId();
    query.request.flags = kQueryRequest;
    query.request.questions.push_back(NbnsQuestion{NbName{name, ""}, kTypeNb, kClassIn});
    query.target = *settings.winsServer;
    query.triesLeft = kTries;
    auto shared = std::make_shared<ResolveHandler>(std::move(handler));
    query.onResponse = [this, name, shared](const NbnsPacket& answer) {
        const auto owner = OwnerIn(answer);
        if (answer.Rcode() != 0 || !owner)
            return BroadcastResolve(name, std::move(*shared));
        cache_.Remember(name, *owner, answer.answers.front().ttl);
        (*shared)(owner);
    };
    query.onTimeout = [this, name, shared] { BroadcastResolve(name, std::move(*shared)); };
    StartQuery(std::move(query));
}

void NbNameService::BroadcastResolve(const NetbiosNameBytes& name, ResolveHandler handler)
{
    PendingQuery query;
    query.request.transactionId = NextTransactionId();
    query.request.flags = kQueryRequest | kNbnsBroadcast;
    query.request.questions.push_back(NbnsQuestion{NbName{name, ""}, kTypeNb, kClassIn});
    query.triesLeft = kTries;
    auto shared = std::make_shared<ResolveHandler>(std::move(handler));
    query.onResponse = [this, name, shared](const NbnsPacket& answer) {
        const auto owner = OwnerIn(answer);
        if (!owner)
            return (*shared)(std::nullopt);
        cache_.Remember(name, *owner, answer.answers.front().ttl);
        (*shared)(owner);
    };
    query.onTimeout = [shared] { (*shared)(std::nullopt); };
    StartQuery(std::move(query));
}

std::optional<NbResolvedName> NbNameService::CachedOwner(const NetbiosNameBytes& name) const
{
    return cache_.Peek(name);
}

NodeStatus NbNameService::LocalStatus() const
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

void NbNameService::QueryNodeStatus(std::uint32_t address, const NetbiosNameBytes& name, StatusHandler handler)
{
    if (address == context_.Address() && !context_.QueryOnly())
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
            ++context_.Counters().malformedPackets;
        (*shared)(status);
    };
    query.onTimeout = [shared] { (*shared)(std::nullopt); };
    StartQuery(std::move(query));
}

std::vector<NAME_BUFFER> NbNameService::LocalNameBuffers() const
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

void NbNameService::AdapterStatus(NCB* ncb, Serial serial)
{
    if (ncb->ncb_buffer == nullptr || ncb->ncb_length < sizeof(ADAPTER_STATUS))
        return context_.Complete(serial, NRC_BUFLEN);
    const NetbiosNameBytes name = std::to_array(ncb->ncb_callname);
    if (name[0] == '*' || FindName(name, true) != nullptr)
        return FinishAdapterStatus(serial, LocalNameBuffers(), {});
    Resolve(name, [this, serial, name](std::optional<NbResolvedName> resolved) {
        if (context_.Find(serial) == nullptr)
            return;
        if (!resolved)
            return context_.Complete(serial, NRC_NOCALL);
        NodeStatusByAddressFor(serial, resolved->address, name);
    });
}

void NbNameService::NodeStatusByAddress(std::uint32_t address, NCB* ncb, Serial serial)
{
    if (ncb->ncb_buffer == nullptr || ncb->ncb_length < sizeof(ADAPTER_STATUS))
        return context_.Complete(serial, NRC_BUFLEN);
    NodeStatusByAddressFor(serial, address, WildcardName().bytes);
}

void NbNameService::NodeStatusByAddressFor(Serial serial, std::uint32_t address, const NetbiosNameBytes& name)
{
    QueryNodeStatus(address, name, [this, serial](std::optional<NodeStatus> status) {
        if (context_.Find(serial) == nullptr)
            return;
        if (!status)
            return context_.Complete(serial, NRC_CMDTMO);
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

void NbNameService::FinishAdapterStatus(Serial serial, const std::vector<NAME_BUFFER>& names,
                                        const std::array<std::uint8_t, 6>& unitId)
{
    NCB* ncb = context_.Find(serial);
    if (ncb == nullptr)
        return;
    const std::size_t room = (ncb->ncb_length - sizeof(ADAPTER_STATUS)) / sizeof(NAME_BUFFER);
    const std::size_t count = std::min(room, names.size());
    const std::size_t sessions = context_.Limits().sessions;
    ADAPTER_STATUS status{};
    std::memcpy(status.adapter_address, unitId.data(), unitId.size());
    status.rev_major = 3;
    status.adapter_type = 0xFE;
    status.max_cfg_sess = static_cast<std::uint16_t>(sessions);
    status.max_sess = static_cast<std::uint16_t>(sessions);
    status.max_dgram_size = 512;
    status.max_sess_pkt_size = 0xFFFF;
    status.name_count = static_cast<std::uint16_t>(count);
    std::memcpy(ncb->ncb_buffer, &status, sizeof status);
    if (count > 0)
        std::memcpy(ncb->ncb_buffer + sizeof status, names.data(), count * sizeof(NAME_BUFFER));
    ncb->ncb_length = static_cast<std::uint16_t>(sizeof status + count * sizeof(NAME_BUFFER));
    context_.Complete(serial, count < names.size() ? NRC_INCOMP : NRC_GOODRET);
}

}  // namespace pl::nb
