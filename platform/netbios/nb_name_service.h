#pragma once
// NbNameService: the name table and name service of one adapter (RFC 1002
// B-node, with an optional WINS server). It registers, defends, releases and
// deletes the local names (NCBADDNAME, NCBADDGRNAME, NCBDELNAME), refreshes
// the ones the WINS server holds at half the time it granted, answers the
// queries and node-status requests of other nodes, resolves remote names and
// keeps what it learnt in a cache, and serves adapter status (NCBASTAT). It
// owns the adapter's name sockets. The other services see it through
// NbNameTable; it tells them through NbNameUsers when a name can no longer be
// used. Thread contract: loop code only (the provider's loop thread, or
// inside NbEventLoop::RunExclusive), with the provider's state held; nothing
// blocks.

#include "platform/netbios/nb30.h"
#include "platform/netbios/nb_lana_context.h"
#include "platform/netbios/nb_name_cache.h"
#include "platform/netbios/nb_name_table.h"
#include "platform/netbios/nb_watched_socket.h"
#include "platform/netbios/nbns_codec.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <vector>

namespace pl::nb {

class NbNameService final : public NbNameTable {
public:
    using Serial = NbLanaContext::Serial;

    // Binds and watches the name sockets; throws PlNetbiosSocketErr.
    NbNameService(NbLanaContext& context, NbNameUsers& users);
    NbNameService(const NbNameService&) = delete;
    NbNameService& operator=(const NbNameService&) = delete;
    ~NbNameService() override;

    // NCB commands.
    void AddName(NCB* ncb, Serial serial, bool group);
    void DeleteName(NCB* ncb, Serial serial);
    void AdapterStatus(NCB* ncb, Serial serial);
    // Adapter status of whoever owns `address`, without resolving a name.
    void NodeStatusByAddress(std::uint32_t address, NCB* ncb, Serial serial);

    // Registers a name of the provider itself (COMPUTER<00>, WORKGROUP<00>),
    // which an NCB reset leaves in place. Does nothing on a query-only adapter.
    void AddServiceName(const NetbiosNameBytes& name, bool group);
    // Whether a registered local name has these first bytes (at most 15).
    bool HasRegisteredBase(std::span<const std::uint8_t> base) const;
    std::vector<NbCachedName> CachedNames() const { return cache_.Names(); }
    // Removes every name (but the provider's own with `keepServiceNames`),
    // releasing the registered ones, and drops every query in progress.
    void Shutdown(bool keepServiceNames);
    // The adapter's interface went: every name is removed, and the WINS
    // server hears of each release from whatever address still reaches it,
    // so that it need not ask the vanished address before it lets the
    // name move (it takes a release by the address in the packet).
    void Withdraw();

    // NbNameTable.
    std::optional<NbLocalName> RegisteredName(NameBytes name) const override;
    std::optional<NbLocalName> RegisteredNumber(std::uint8_t num) const override;
    void Resolve(const NetbiosNameBytes& name, ResolveHandler handler) override;
    std::optional<NbResolvedName> CachedOwner(const NetbiosNameBytes& name) const override;
    void LastSessionEnded(std::uint8_t num) override;

private:
    static constexpr auto kRetryInterval = std::chrono::milliseconds(250);
    static constexpr int kTries = 3;
    static constexpr std::uint32_t kNameTtl = 300000;  // seconds a name is claimed for

    enum class NameState { Registering, Registered, Conflict, Deregistering };

    struct LocalName {
        NetbiosNameBytes name{};
        std::uint8_t num = 0;
        bool group = false;
        NameState state = NameState::Registering;
        Serial addSerial = 0;
        std::uint16_t transactionId = 0;
        int triesLeft = 0;
        bool viaWins = false;
        bool refreshing = false;         // a refresh waits for the WINS server
        NbEventLoop::TimerId timer = 0;  // of the registration, then of the next refresh
        bool service = false;
    };

    using StatusHandler = std::function<void(std::optional<NodeStatus>)>;
    using ResponseHandler = std::function<void(const NbnsPacket&)>;

    struct PendingQuery {
        NbnsPacket request;
        std::uint32_t target = 0;  // 0: broadcast
        int triesLeft = 0;
        NbEventLoop::TimerId timer = 0;
        ResponseHandler onResponse;
        std::function<void()> onTimeout;
    };

    // The name table and registration (nb_name_service.cpp).
    const LocalName* FindName(NameBytes name, bool registeredOnly) const;
    LocalName* FindName(NameBytes name, bool registeredOnly);
    const LocalName* FindNameByNum(std::uint8_t num) const;
    LocalName* FindNameByNum(std::uint8_t num);
    std::uint8_t FreeNameNumber() const;
    void AppendName(const NetbiosNameBytes& name, std::uint8_t num, bool group, Serial addSerial, bool service);
    void SendRegistration(LocalName& entry);
    void RegistrationTimedOut(std::uint8_t num);
    void Registered(LocalName& entry);
    void RemoveName(std::uint8_t num, bool release);
    NbnsPacket MakeNamePacket(std::uint16_t flags, const NetbiosNameBytes& name, bool group, std::uint32_t ttl,
                              std::optional<std::uint32_t> address = std::nullopt) const;
    void SendFarewells(const LocalName& entry);
    void SendName(const NbnsPacket& packet, std::uint32_t address, std::uint16_t port);
    void SendFromAnyAddress(const NbnsPacket& packet, std::uint32_t address, std::uint16_t port);
    void BroadcastName(const NbnsPacket& packet);
    std::uint16_t NextTransactionId() { return ++transactionId_; }

    // What arrives on the name sockets (nb_name_incoming.cpp).
    void OnNameSocket(int fd);
    void HandleNameRequest(const NbnsPacket& packet, std::uint32_t from, std::uint16_t port);
    void HandleNameResponse(const NbnsPacket& packet, std::uint32_t from);
    void HandleRegistrationResponse(const NbnsPacket& packet, std::uint32_t from);
    void RegistrationAnswered(LocalName& entry, const NbnsPacket& packet);
    void AnswerQuery(const NbnsPacket& packet, std::uint32_t from, std::uint16_t port);
    void AnswerNodeStatus(const NbnsPacket& packet, std::uint32_t from, std::uint16_t port);
    void DefendName(const NbnsPacket& packet, std::uint32_t from, std::uint16_t port);

    // Refreshes with the WINS server (nb_name_refresh.cpp).
    void RefreshAfter(LocalName& entry, std::uint32_t grantedTtl);
    void RetryWinsLater(LocalName& entry);
    void StartRefresh(std::uint8_t num);
    void SendRefresh(LocalName& entry);
    void RefreshTimedOut(std::uint8_t num);
    void RefreshAnswered(LocalName& entry, const NbnsPacket& packet);
    void WaitAfterWack(LocalName& entry, const NbnsPacket& wack, std::function<void(std::uint8_t)> then);

    // Queries, node status and adapter status (nb_name_queries.cpp).
    void StartQuery(PendingQuery query);
    void QueryTimedOut(std::uint16_t id);
    void BroadcastResolve(const NetbiosNameBytes& name, ResolveHandler handler);
    void QueryNodeStatus(std::uint32_t address, const NetbiosNameBytes& name, StatusHandler handler);
    NodeStatus LocalStatus() const;
    std::vector<NAME_BUFFER> LocalNameBuffers() const;
    void NodeStatusByAddressFor(Serial serial, std::uint32_t address, const NetbiosNameBytes& name);
    void FinishAdapterStatus(Serial serial, const std::vector<NAME_BUFFER>& names,
                             const std::array<std::uint8_t, 6>& unitId);

    NbLanaContext& context_;
    NbEventLoop& loop_;
    NbNameUsers& users_;
    NbWatchedSocket socket_;
    NbWatchedSocket broadcastSocket_;  // sees the subnet's broadcasts

    std::vector<LocalName> names_;
    std::map<std::uint16_t, PendingQuery> queries_;
    NbNameCache cache_;
    std::uint16_t transactionId_;
    bool withdrawn_ = false;
};

}  // namespace pl::nb
