#pragma once
// NbLana: one NetBIOS adapter of a provider, bound to one IPv4 address: its
// name table, name service (UDP), datagram service (UDP) and session service
// (TCP), and the NCB commands that act on it. Lives on the provider's loop
// thread; every method must be called there.

#include "platform/netbios/nb30.h"
#include "platform/netbios/nb_counters.h"
#include "platform/netbios/nb_event_loop.h"
#include "platform/netbios/nb_interfaces.h"
#include "platform/netbios/nb_lmhosts.h"
#include "platform/netbios/nb_requests.h"
#include "platform/netbios/nbdgm_codec.h"
#include "platform/netbios/nbns_codec.h"
#include "platform/netbios/nbss_codec.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace pl::nb {

struct NbLanaSettings {
    NbInterface interface;
    std::uint16_t namePort = 137;
    std::uint16_t datagramPort = 138;
    std::uint16_t sessionPort = 139;
    std::optional<std::uint32_t> winsServer;
    std::vector<std::uint32_t> broadcastTargets;  // empty: the interface's broadcast address
    std::vector<LmhostsEntry> lmhosts;
    // A query-only adapter (tools beside a running provider): the name socket
    // on a port of the system's choice, no datagram or session service, no
    // names of its own, and broadcasts also reach the own address.
    bool queryOnly = false;
};

// One remote name learnt from the network, as nbtstat -c lists it.
struct NbCachedName {
    NetbiosNameBytes name{};
    std::uint32_t address = 0;
    bool group = false;
    std::chrono::seconds remaining{0};
};

class NbLana {
public:
    using Serial = NbRequests::Serial;

    NbLana(std::uint8_t number, NbLanaSettings settings, NbEventLoop& loop, NbRequests& requests, NbCounters& counters);
    NbLana(const NbLana&) = delete;
    NbLana& operator=(const NbLana&) = delete;
    ~NbLana();

    std::uint8_t Number() const { return number_; }
    const NbInterface& Interface() const { return settings_.interface; }

    // Runs one NCB command addressed to this adapter.
    static bool ServedWhenQueryOnly(std::uint8_t command);
    void Execute(NCB* ncb, Serial serial);
    // Adapter status of whoever owns `address`, without resolving a name.
    void NodeStatusByAddress(std::uint32_t address, NCB* ncb, Serial serial);
    std::vector<NbCachedName> CachedNames() const;
    // Releases every name and ends every session; every pending NCB of this
    // adapter but `keep` completes with NRC_CMDCAN.
    // With `keepServiceNames` the provider's own names stay (an NCB reset).
    void Shutdown(Serial keep = 0, bool keepServiceNames = false);

    // Mailslot support (nb_lana_mailslots.cpp). The tap sees every data
    // datagram received; when it returns true the datagram was consumed.
    using DatagramTap = std::function<bool(NbLana&, const NbDatagram&)>;
    using NameHandler = std::function<void(std::optional<std::pair<std::uint32_t, bool>>)>;
    void SetDatagramTap(DatagramTap tap) { tap_ = std::move(tap); }
    // Sends one datagram from `source`: to `address` when given, else to the
    // broadcast addresses. Returns the datagram as it was sent.
    NbDatagram SendDatagramFrom(const NetbiosNameBytes& source, const NetbiosNameBytes& destination, bool group,
                                std::optional<std::uint32_t> address, std::vector<std::uint8_t> data);
    // Resolves a name as a call does; the handler gets the address and group flag.
    void ResolveName(const NetbiosNameBytes& name, NameHandler handler);
    // Whether a registered local name has these first 15 bytes.
    bool HasLocalName(std::span<const std::uint8_t> base) const;
    bool QueryOnly() const { return settings_.queryOnly; }
    // Registers a name of the provider itself (COMPUTER<00>, WORKGROUP<00>),
    // which an NCB reset leaves in place. Does nothing on a query-only adapter.
    void AddServiceName(const NetbiosNameBytes& name, bool group);

private:
    enum class NameState { Registering, Registered, Conflict, Deregistering };

    struct PendingListen {
        Serial serial;
        NetbiosNameBytes caller;
        bool anyCaller;
    };

    struct LocalName {
        NetbiosNameBytes name{};
        std::uint8_t num = 0;
        bool group = false;
        NameState state = NameState::Registering;
        Serial addSerial = 0;
        std::uint16_t transactionId = 0;
        int triesLeft = 0;
        bool viaWins = false;
        NbEventLoop::TimerId timer = 0;
        bool service = false;
        std::deque<PendingListen> listens;
        std::deque<Serial> datagramReceives;
    };

    struct Session;
    struct Incoming;
    struct OutgoingCall;

    struct Resolved {
        std::uint32_t address;
        bool group;
    };
    using ResolveHandler = std::function<void(std::optional<Resolved>)>;
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

    struct CacheEntry {
        std::uint32_t address;
        bool group;
        PlNetbiosClock::TimePoint expires;
    };

    // Sockets and sending (nb_lana.cpp).
    void OpenSockets();
    void SendName(const NbnsPacket& packet, std::uint32_t address, std::uint16_t port);
    void BroadcastName(const NbnsPacket& packet);
    void SendDatagramTo(const std::vector<std::uint8_t>& bytes, std::uint32_t address);
    std::vector<std::uint32_t> BroadcastAddresses() const;
    bool IsOwnSource(std::uint32_t address, std::uint16_t port, std::uint16_t ownPort) const;
    std::uint16_t NextTransactionId() { return ++transactionId_; }
    void Reset(NCB* ncb, Serial serial);
    void Complete(Serial serial, std::uint8_t code) { requests_.Complete(serial, code); }

    // Name table and name service (nb_lana_names.cpp).
    LocalName* FindName(const std::uint8_t* bytes, bool registeredOnly);
    LocalName* FindNameByNum(std::uint8_t num);
    void AddName(NCB* ncb, Serial serial, bool group);
    void SendRegistration(LocalName& entry);
    void RegistrationTimedOut(std::uint8_t num);
    void DeleteName(NCB* ncb, Serial serial);
    void RemoveName(std::uint8_t num, bool release);
    NbnsPacket MakeNamePacket(std::uint16_t flags, const NetbiosNameBytes& name, bool group, std::uint32_t ttl) const;
    void OnNameSocket(int fd);
    void HandleNameRequest(const NbnsPacket& packet, std::uint32_t from, std::uint16_t port);
    void HandleNameResponse(const NbnsPacket& packet);
    void AnswerQuery(const NbnsPacket& packet, std::uint32_t from, std::uint16_t port);
    void AnswerNodeStatus(const NbnsPacket& packet, std::uint32_t from, std::uint16_t port);
    void DefendName(const NbnsPacket& packet, std::uint32_t from, std::uint16_t port);
    NodeStatus LocalStatus() const;
    void StartQuery(PendingQuery query);
    void QueryTimedOut(std::uint16_t id);
    void Resolve(const NetbiosNameBytes& name, ResolveHandler handler);
    void BroadcastResolve(const NetbiosNameBytes& name, ResolveHandler handler);
    void QueryNodeStatus(std::uint32_t address, const NetbiosNameBytes& name, StatusHandler handler);
    void RememberName(const NetbiosNameBytes& name, const Resolved& resolved, std::uint32_t ttl);
    void AdapterStatus(NCB* ncb, Serial serial);
    void NodeStatusByAddressFor(Serial serial, std::uint32_t address, const NetbiosNameBytes& name);
    std::vector<NAME_BUFFER> LocalNameBuffers() const;
    void FinishAdapterStatus(Serial serial, const std::vector<NAME_BUFFER>& names,
                             const std::array<std::uint8_t, 6>& unitId);

    // Session service (nb_lana_sessions.cpp).
    void Listen(NCB* ncb, Serial serial);
    void Call(NCB* ncb, Serial serial);
    void ConnectCall(Serial serial, std::uint32_t address);
    void OnCallEvent(Serial serial, std::uint32_t events);
    void FinishCall(Serial serial, std::uint8_t code);
    void Send(NCB* ncb, Serial serial);
    void Receive(NCB* ncb, Serial serial);
    void HangUp(NCB* ncb, Serial serial);
    void OnAccept();
    void OnIncoming(int fd, std::uint32_t events);
    void DropIncoming(int fd);
    void AnswerSessionRequest(int fd, const NbssSessionRequest& request);
    std::uint8_t ChooseListener(LocalName& entry, const NetbiosNameBytes& caller, Serial& listen);
    std::uint8_t NewSession(UniqueFd fd, std::uint8_t nameNum, const NetbiosNameBytes& remote, NCB* ncb,
                            NbssFramer framer);
    std::uint8_t FreeLsn() const;
    std::size_t OpenSessionCount() const;
    void OnSessionEvent(std::uint8_t lsn, std::uint32_t events);
    void ReadSession(Session& session);
    void FlushSession(Session& session);
    void DeliverReceives(Session& session);
    void CloseSession(Session& session, std::uint8_t code);
    void UpdateSessionInterest(Session& session);
    void KeepAlive(std::uint8_t lsn);
    void RemoveSession(std::uint8_t lsn);

    // Datagram service (nb_lana_datagrams.cpp).
    void SendDatagram(NCB* ncb, Serial serial, bool broadcast);
    void ReceiveDatagram(NCB* ncb, Serial serial, bool broadcast);
    void OnDatagramSocket(int fd);
    void DeliverDatagram(const NbDatagram& datagram);
    bool CompleteDatagramReceive(std::deque<Serial>& queue, const NbDatagram& datagram, std::uint8_t num);

    const std::uint8_t number_;
    NbLanaSettings settings_;
    NbEventLoop& loop_;
    NbRequests& requests_;
    NbCounters& counters_;

    UniqueFd nameSocket_;
    UniqueFd nameBroadcastSocket_;
    UniqueFd datagramSocket_;
    UniqueFd datagramBroadcastSocket_;
    UniqueFd sessionListener_;

    std::size_t maxNames_;
    std::size_t maxSessions_;
    std::vector<LocalName> names_;
    std::map<std::uint16_t, PendingQuery> queries_;
    std::map<NetbiosNameBytes, CacheEntry> cache_;
    std::uint16_t transactionId_;
    std::uint16_t datagramId_ = 0;

    std::map<std::uint8_t, std::unique_ptr<Session>> sessions_;
    std::map<int, std::unique_ptr<Incoming>> incoming_;
    std::map<Serial, std::unique_ptr<OutgoingCall>> calls_;
    std::deque<Serial> anyDatagramReceives_;
    std::deque<Serial> broadcastReceives_;
    std::uint8_t lastLsn_ = 0;
    DatagramTap tap_;
};

}  // namespace pl::nb
