// NbNameService: the packets that arrive on the name sockets: requests of
// other nodes (queries, node status, registrations a name of ours is defended
// against, releases) and the answers to our own registrations and queries.

#include "platform/netbios/nb_name_service.h"

#include "platform/netbios/nb_socket.h"

#include <utility>

namespace pl::nb {

namespace {

constexpr std::uint16_t kPositiveQuery = 0x8500;       // R, AA, RD
constexpr std::uint16_t kNodeStatusResponse = 0x8400;  // R, AA
constexpr std::uint16_t kDefence = 0xAD80 | kRcodeActive;

}  // namespace

void NbNameService::OnNameSocket(int fd)
{
    ReceiveUdpEach(fd, [this](std::span<const std::uint8_t> bytes, std::uint32_t address, std::uint16_t port) {
        const auto packet = DecodeNbns(bytes);
        if (!packet || (packet->questions.empty() && packet->answers.empty())) {
            ++context_.Counters().malformedPackets;
            return;
        }
        if (packet->IsResponse())
            HandleNameResponse(*packet, address);
        else if (!context_.QueryOnly() && !context_.IsOwnSource(address, port, context_.Settings().namePort))
            HandleNameRequest(*packet, address, port);
    });
}

void NbNameService::HandleNameRequest(const NbnsPacket& packet, std::uint32_t from, std::uint16_t port)
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
    case NbnsOpcode::Release: cache_.Forget(packet.questions.front().name.bytes); return;
    default: return;
    }
}

void NbNameService::RegistrationAnswered(LocalName& entry, const NbnsPacket& packet)
{
    if (packet.Opcode() == NbnsOpcode::Wack) {
        entry.triesLeft = 1;
        return WaitAfterWack(entry, packet, [this](std::uint8_t num) { RegistrationTimedOut(num); });
    }
    if (packet.Rcode() != 0) {
        context_.Complete(entry.addSerial, NRC_DUPNAME);
        return RemoveName(entry.num, false);
    }
    if (!entry.viaWins)
        return;  // on a broadcast registration only objections count
    loop_.CancelTimer(entry.timer);
    entry.timer = 0;
    if (NbWinsFarewells* farewells = context_.Settings().farewells)
        farewells->Forget(entry.name);
    const std::uint8_t num = entry.num;
    Registered(entry);  // completes the NCB, whose routine may change the table
    if (LocalName* registered = FindNameByNum(num); registered != nullptr && registered->state == NameState::Registered)
        RefreshAfter(*registered, packet.answers.empty() ? kNameTtl : packet.answers.front().ttl);
}

void NbNameService::AnswerQuery(const NbnsPacket& packet, std::uint32_t from, std::uint16_t port)
{
    const NbName& name = packet.questions.front().name;
    NbnsPacket answer;
    answer.transactionId = packet.transactionId;
    if (const LocalName* entry = FindName(name.bytes, true)) {
        answer.flags = kPositiveQuery;
        const NbAddressEntry owner{static_cast<std::uint16_t>((entry->group ? kNbGroup : 0) | kNbNodeB),
                                   context_.Address()};
        answer.answers.push_back(NbnsRecord{name, kTypeNb, kClassIn, kNameTtl, EncodeNbRdata({&owner, 1})});
    } else if ((packet.flags & kNbnsBroadcast) == 0) {
        answer.flags = kPositiveQuery | kRcodeNameError;
        answer.answers.push_back(NbnsRecord{name, kTypeNull, kClassIn, 0, {}});
    } else {
        return;  // a broadcast query for a name we do not hold gets no answer
    }
    SendName(answer, from, port);
}

void NbNameService::AnswerNodeStatus(const NbnsPacket& packet, std::uint32_t from, std::uint16_t port)
{
    const NbName& name = packet.questions.front().name;
    if (name.bytes[0] != '*' && FindName(name.bytes, true) == nullptr)
        return;
    NbnsPacket answer;
    answer.transactionId = packet.transactionId;
    answer.flags = kNodeStatusResponse;
    answer.answers.push_back(NbnsRecord{name, kTypeNbstat, kClassIn, 0, EncodeNodeStatus(LocalStatus())});
    SendName(answer, from, port);
}

void NbNameService::DefendName(const NbnsPacket& packet, std::uint32_t from, std::uint16_t port)
{
    const NbName& name = packet.questions.front().name;
    const LocalName* entry = FindName(name.bytes, true);
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

void NbNameService::HandleNameResponse(const NbnsPacket& packet, std::uint32_t from)
{
    switch (packet.Opcode()) {
    case NbnsOpcode::Registration:
    case NbnsOpcode::Wack:
    case NbnsOpcode::Refresh:
    case NbnsOpcode::RefreshAlternative: return HandleRegistrationResponse(packet, from);
    default: break;
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

// Answers to a registration, and the WINS server's answers to a refresh
// (servers answer a refresh as a registration).
void NbNameService::HandleRegistrationResponse(const NbnsPacket& packet, std::uint32_t from)
{
    const bool fromServer = context_.Settings().winsServer == from;
    for (LocalName& entry : names_) {
        if (entry.transactionId != packet.transactionId)
            continue;
        if (entry.state == NameState::Registering)
            return RegistrationAnswered(entry, packet);
        if (entry.state == NameState::Registered && entry.refreshing && fromServer)
            return RefreshAnswered(entry, packet);
    }
    // A conflict demand marks a name of ours as taken elsewhere.
    if (packet.Rcode() == kRcodeConflict && !packet.answers.empty()) {
        if (LocalName* entry = FindName(packet.answers.front().name.bytes, true)) {
            entry->state = NameState::Conflict;
            users_.NameInConflict(entry->num);
        }
    }
}

}  // namespace pl::nb
