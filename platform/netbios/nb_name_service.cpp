// NbNameService: the local name table, registration (B-node and WINS),
// deletion and release of the local names.

#include "platform/netbios/nb_name_service.h"

#include "platform/netbios/nb_socket.h"

#include <sys/epoll.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <utility>

namespace pl::nb {

namespace {

constexpr std::uint8_t kFirstNameNumber = 2;
constexpr std::uint8_t kNoNameNumber = 0xFF;

constexpr std::uint16_t kRegistrationRequest = 0x2900;  // opcode 5, RD
constexpr std::uint16_t kOverwriteDemand = 0x2800;      // opcode 5
constexpr std::uint16_t kReleaseRequest = 0x3000;       // opcode 6

}  // namespace

NbNameService::NbNameService(NbLanaContext& context, NbNameUsers& users)
    : context_(context),
      loop_(context.Loop()),
      users_(users),
      socket_(loop_, UniqueFd()),
      broadcastSocket_(loop_, UniqueFd()),
      cache_(loop_),
      transactionId_(static_cast<std::uint16_t>(std::random_device{}()))
{
    const NbLanaSettings& settings = context_.Settings();
    if (settings.queryOnly) {
        socket_.Adopt(OpenUdp(settings.interface.address, 0, true));
    } else {
        socket_.Adopt(OpenUdp(settings.interface.address, settings.namePort, true));
        // A socket bound to a unicast address does not see broadcasts; a
        // second one bound to the subnet's broadcast address does.
        if (settings.broadcastTargets.empty() && settings.interface.broadcast)
            broadcastSocket_.Adopt(OpenUdp(*settings.interface.broadcast, settings.namePort, true));
    }
    for (const NbWatchedSocket* socket : {&socket_, &broadcastSocket_}) {
        if (socket->Valid())
            loop_.Watch(socket->Get(), EPOLLIN, [this, raw = socket->Get()](std::uint32_t) { OnNameSocket(raw); });
    }
}

NbNameService::~NbNameService() = default;

// The name table.

const NbNameService::LocalName* NbNameService::FindName(NameBytes name, bool registeredOnly) const
{
    for (const LocalName& entry : names_) {
        if (std::memcmp(entry.name.data(), name.data(), entry.name.size()) == 0)
            return !registeredOnly || entry.state == NameState::Registered ? &entry : nullptr;
    }
    return nullptr;
}

NbNameService::LocalName* NbNameService::FindName(NameBytes name, bool registeredOnly)
{
    return const_cast<LocalName*>(std::as_const(*this).FindName(name, registeredOnly));
}

const NbNameService::LocalName* NbNameService::FindNameByNum(std::uint8_t num) const
{
    const auto it = std::find_if(names_.begin(), names_.end(), [num](const LocalName& e) { return e.num == num; });
    return it == names_.end() ? nullptr : &*it;
}

NbNameService::LocalName* NbNameService::FindNameByNum(std::uint8_t num)
{
    return const_cast<LocalName*>(std::as_const(*this).FindNameByNum(num));
}

std::optional<NbLocalName> NbNameService::RegisteredName(NameBytes name) const
{
    const LocalName* entry = FindName(name, true);
    if (entry == nullptr)
        return std::nullopt;
    return NbLocalName{entry->name, entry->num, entry->group};
}

std::optional<NbLocalName> NbNameService::RegisteredNumber(std::uint8_t num) const
{
    const LocalName* entry = FindNameByNum(num);
    if (entry == nullptr || entry->state != NameState::Registered)
        return std::nullopt;
    return NbLocalName{entry->name, entry->num, entry->group};
}

bool NbNameService::HasRegisteredBase(std::span<const std::uint8_t> base) const
{
    const std::size_t length = std::min<std::size_t>(base.size(), kNetbiosNameLength - 1);
    return std::any_of(names_.begin(), names_.end(), [&](const LocalName& entry) {
        return entry.state == NameState::Registered && std::memcmp(entry.name.data(), base.data(), length) == 0;
    });
}

std::uint8_t NbNameService::FreeNameNumber() const
{
    std::uint8_t num = kFirstNameNumber;
    while (num < kNoNameNumber && FindNameByNum(num) != nullptr)
        ++num;
    return num;
}

// Registration.

void NbNameService::AddName(NCB* ncb, Serial serial, bool group)
{
    const NetbiosNameBytes name = std::to_array(ncb->ncb_name);
    if (name[0] == '*' || name[0] == 0)
        return context_.Complete(serial, NRC_NOWILD);
    if (FindName(name, false) != nullptr)
        return context_.Complete(serial, NRC_DUPNAME);
    const std::uint8_t num = FreeNameNumber();
    if (names_.size() >= context_.Limits().names || num == kNoNameNumber)
        return context_.Complete(serial, NRC_NAMTFUL);
    AppendName(name, num, group, serial, false);
    if (context_.QueryOnly()) {  // a local calling name only
        names_.back().state = NameState::Registered;
        ncb->ncb_num = num;
        return context_.Complete(serial, NRC_GOODRET);
    }
    SendRegistration(names_.back());
}

void NbNameService::AddServiceName(const NetbiosNameBytes& name, bool group)
{
    if (context_.QueryOnly() || FindName(name, false) != nullptr)
        return;
    const std::uint8_t num = FreeNameNumber();
    if (num == kNoNameNumber)
        return;
    AppendName(name, num, group, 0, true);
    SendRegistration(names_.back());
}

void NbNameService::AppendName(const NetbiosNameBytes& name, std::uint8_t num, bool group, Serial addSerial,
                               bool service)
{
    LocalName entry;
    entry.name = name;
    entry.num = num;
    entry.group = group;
    entry.addSerial = addSerial;
    entry.service = service;
    entry.transactionId = NextTransactionId();
    entry.triesLeft = kTries;
    entry.viaWins = context_.Settings().winsServer.has_value();
    names_.push_back(entry);
}

NbnsPacket NbNameService::MakeNamePacket(std::uint16_t flags, const NetbiosNameBytes& name, bool group,
                                         std::uint32_t ttl, std::optional<std::uint32_t> address) const
{
    NbnsPacket packet;
    packet.flags = flags;
    NbName wire{name, ""};
    packet.questions.push_back(NbnsQuestion{wire, kTypeNb, kClassIn});
    const NbAddressEntry owner{static_cast<std::uint16_t>((group ? kNbGroup : 0) | kNbNodeB),
                               address.value_or(context_.Address())};
    packet.additionals.push_back(NbnsRecord{wire, kTypeNb, kClassIn, ttl, EncodeNbRdata({&owner, 1})});
    return packet;
}

void NbNameService::SendName(const NbnsPacket& packet, std::uint32_t address, std::uint16_t port)
{
    SendUdp(socket_.Get(), EncodeNbns(packet), address, port);
}

// A socket of the system's choice: the adapter's own may be bound to an
// address that is gone. A packet that cannot leave is lost like any other.
void NbNameService::SendFromAnyAddress(const NbnsPacket& packet, std::uint32_t address, std::uint16_t port)
{
    try {
        const UniqueFd any = OpenUdp(0, 0, false);
        SendUdp(any.Get(), EncodeNbns(packet), address, port);
    } catch (const PlNetbiosSocketErr&) {
    }
}

void NbNameService::BroadcastName(const NbnsPacket& packet)
{
    const auto bytes = EncodeNbns(packet);
    for (const std::uint32_t target : context_.BroadcastAddresses())
        SendUdp(socket_.Get(), bytes, target, context_.Settings().namePort);
}

void NbNameService::SendRegistration(LocalName& entry)
{
    NbnsPacket packet =
        MakeNamePacket(static_cast<std::uint16_t>(kRegistrationRequest | (entry.viaWins ? 0 : kNbnsBroadcast)),
                       entry.name, entry.group, kNameTtl);
    packet.transactionId = entry.transactionId;
    if (entry.viaWins) {
        SendFarewells(entry);
        SendName(packet, *context_.Settings().winsServer, context_.Settings().namePort);
    } else {
        BroadcastName(packet);
    }
    --entry.triesLeft;
    entry.timer = loop_.After(kRetryInterval, [this, num = entry.num] { RegistrationTimedOut(num); });
}

void NbNameService::RegistrationTimedOut(std::uint8_t num)
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
    Registered(*entry);
    // The WINS server, silent now, is asked again later.
    if (LocalName* registered = FindNameByNum(num);
        registered != nullptr && context_.Settings().winsServer && registered->state == NameState::Registered)
        RetryWinsLater(*registered);
}

// Releases for the addresses the name had before at the WINS server (see
// NbWinsFarewells), sent ahead of each registration with the server.
void NbNameService::SendFarewells(const LocalName& entry)
{
    NbWinsFarewells* farewells = context_.Settings().farewells;
    if (farewells == nullptr)
        return;
    for (const auto& old : farewells->Of(entry.name, loop_.Now())) {
        if (old.address == context_.Address())
            continue;
        NbnsPacket release = MakeNamePacket(kReleaseRequest, entry.name, old.group, 0, old.address);
        release.transactionId = NextTransactionId();
        SendName(release, *context_.Settings().winsServer, context_.Settings().namePort);
    }
}

void NbNameService::Registered(LocalName& entry)
{
    entry.state = NameState::Registered;
    if (NCB* ncb = context_.Find(entry.addSerial))
        ncb->ncb_num = entry.num;
    context_.Complete(entry.addSerial, NRC_GOODRET);
}

// Deletion and release.

void NbNameService::DeleteName(NCB* ncb, Serial serial)
{
    LocalName* entry = FindName(ncb->ncb_name, false);
    if (entry == nullptr)
        return context_.Complete(serial, NRC_NOWILD);
    if (entry->state == NameState::Registering) {
        context_.Complete(entry->addSerial, NRC_NAMERR);
        RemoveName(entry->num, false);
        return context_.Complete(serial, NRC_GOODRET);
    }
    const std::uint8_t num = entry->num;
    if (!users_.NameHasOpenSessions(num)) {
        RemoveName(num, entry->state == NameState::Registered && !context_.QueryOnly());
        return context_.Complete(serial, NRC_GOODRET);
    }
    // The name goes when its last session ends; meanwhile it is not in use.
    users_.NameWithdrawn(num);
    entry->state = NameState::Deregistering;
    context_.Complete(serial, NRC_ACTSES);
}

void NbNameService::LastSessionEnded(std::uint8_t num)
{
    const LocalName* entry = FindNameByNum(num);
    if (entry != nullptr && entry->state == NameState::Deregistering)
        RemoveName(num, true);
}

void NbNameService::RemoveName(std::uint8_t num, bool release)
{
    const auto it = std::find_if(names_.begin(), names_.end(), [num](const LocalName& e) { return e.num == num; });
    if (it == names_.end())
        return;
    loop_.CancelTimer(it->timer);
    users_.NameWithdrawn(num);
    if (release) {
        NbnsPacket packet = MakeNamePacket(kReleaseRequest | kNbnsBroadcast, it->name, it->group, 0);
        packet.transactionId = NextTransactionId();
        BroadcastName(packet);
        if (context_.Settings().winsServer) {
            packet.flags = kReleaseRequest;
            if (withdrawn_)
                SendFromAnyAddress(packet, *context_.Settings().winsServer, context_.Settings().namePort);
            else
                SendName(packet, *context_.Settings().winsServer, context_.Settings().namePort);
        }
    }
    names_.erase(it);
}

void NbNameService::Withdraw()
{
    withdrawn_ = true;
    if (NbWinsFarewells* farewells = context_.Settings().farewells)
        for (const LocalName& entry : names_)
            if (entry.state == NameState::Registered && entry.viaWins)
                farewells->Add(entry.name, entry.group, context_.Address(), loop_.Now());
    Shutdown(false);
}

void NbNameService::Shutdown(bool keepServiceNames)
{
    for (;;) {
        const auto it = std::find_if(names_.begin(), names_.end(),
                                     [&](const LocalName& entry) { return !(keepServiceNames && entry.service); });
        if (it == names_.end())
            break;
        RemoveName(it->num, it->state == NameState::Registered);
    }
    for (auto& [id, query] : queries_)
        loop_.CancelTimer(query.timer);
    queries_.clear();
}

}  // namespace pl::nb
