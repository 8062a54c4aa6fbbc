// NbNameService: keeping the names the WINS server holds. A name registered
// with the server is refreshed (RFC 1002's name refresh request, opcode 8 as
// Samba sends it) when half the time to live the server granted has passed,
// so that the server never lets it expire while the adapter holds it; a
// server that refuses a refresh gave the name to another node. A name that
// was registered by broadcast because the server was silent (not reachable
// yet, say, while a new address still waits for its route) is registered with
// the server later.

#include "platform/netbios/nb_name_service.h"

#include <algorithm>

namespace pl::nb {

namespace {

constexpr std::uint16_t kRefreshRequest = static_cast<std::uint16_t>(NbnsOpcode::Refresh) << 11;
constexpr auto kShortestRefresh = std::chrono::seconds(1);
constexpr std::uint16_t kRegistrationRequest = 0x2900;    // opcode 5, RD
constexpr auto kRefreshRetry = std::chrono::seconds(30);  // after a server that did not answer
constexpr auto kDefaultWack = std::chrono::seconds(5);
constexpr auto kLongestWack = std::chrono::seconds(60);

}  // namespace

void NbNameService::RefreshAfter(LocalName& entry, std::uint32_t grantedTtl)
{
    entry.refreshing = false;
    loop_.CancelTimer(entry.timer);
    entry.timer = 0;
    if (grantedTtl == 0)
        return;  // an infinite time to live
    const auto delay = std::max<std::chrono::seconds>(std::chrono::seconds(grantedTtl / 2), kShortestRefresh);
    entry.timer = loop_.After(delay, [this, num = entry.num] { StartRefresh(num); });
}

void NbNameService::RetryWinsLater(LocalName& entry)
{
    loop_.CancelTimer(entry.timer);
    entry.refreshing = false;
    entry.timer = loop_.After(kRefreshRetry, [this, num = entry.num] { StartRefresh(num); });
}

void NbNameService::StartRefresh(std::uint8_t num)
{
    LocalName* entry = FindNameByNum(num);
    if (entry == nullptr || entry->state != NameState::Registered || !context_.Settings().winsServer)
        return;
    entry->timer = 0;
    entry->refreshing = true;
    entry->triesLeft = kTries;
    entry->transactionId = NextTransactionId();
    SendRefresh(*entry);
}

void NbNameService::SendRefresh(LocalName& entry)
{
    NbnsPacket packet =
        MakeNamePacket(entry.viaWins ? kRefreshRequest : kRegistrationRequest, entry.name, entry.group, kNameTtl);
    packet.transactionId = entry.transactionId;
    if (!entry.viaWins)
        SendFarewells(entry);
    SendName(packet, *context_.Settings().winsServer, context_.Settings().namePort);
    --entry.triesLeft;
    entry.timer = loop_.After(kRetryInterval, [this, num = entry.num] { RefreshTimedOut(num); });
}

void NbNameService::RefreshTimedOut(std::uint8_t num)
{
    LocalName* entry = FindNameByNum(num);
    if (entry == nullptr || !entry->refreshing)
        return;
    entry->timer = 0;
    if (entry->triesLeft > 0)
        return SendRefresh(*entry);
    // A silent server: the name stays in use on the local network, and the
    // server is asked again well before the time it granted runs out.
    RetryWinsLater(*entry);
}

void NbNameService::RefreshAnswered(LocalName& entry, const NbnsPacket& packet)
{
    if (packet.Opcode() == NbnsOpcode::Wack) {
        entry.triesLeft = 1;
        return WaitAfterWack(entry, packet, [this](std::uint8_t num) { RefreshTimedOut(num); });
    }
    if (packet.Rcode() == 0) {
        entry.viaWins = true;
        if (NbWinsFarewells* farewells = context_.Settings().farewells)
            farewells->Forget(entry.name);
        return RefreshAfter(entry, packet.answers.empty() ? kNameTtl : packet.answers.front().ttl);
    }
    loop_.CancelTimer(entry.timer);
    entry.timer = 0;
    entry.refreshing = false;
    entry.state = NameState::Conflict;
    users_.NameInConflict(entry.num);
}

// A server that must ask the name's previous owner first sends a WACK with
// the time to wait for its answer; 5 s when it names none.
void NbNameService::WaitAfterWack(LocalName& entry, const NbnsPacket& wack, std::function<void(std::uint8_t)> then)
{
    const std::uint32_t ttl = wack.answers.empty() ? 0 : wack.answers.front().ttl;
    const auto wait = ttl == 0
                          ? kDefaultWack
                          : std::clamp<std::chrono::seconds>(std::chrono::seconds(ttl), kShortestRefresh, kLongestWack);
    loop_.CancelTimer(entry.timer);
    entry.timer = loop_.After(wait, [then = std::move(then), num = entry.num] { then(num); });
}

}  // namespace pl::nb
