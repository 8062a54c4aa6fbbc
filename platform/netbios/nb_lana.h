#pragma once
// NbLana: one NetBIOS adapter of a provider, bound to one IPv4 address. It
// owns the adapter's context, its name service (NbNameService) and session
// service (NbSessionService), serves the datagram service, runs the NCB commands that act on it and
// passes on what the name service tells its users. Lives on the provider's
// loop thread; every method must be called there.

#include "platform/netbios/nb30.h"
#include "platform/netbios/nb_lana_context.h"
#include "platform/netbios/nb_name_service.h"
#include "platform/netbios/nb_name_table.h"
#include "platform/netbios/nb_session_service.h"
#include "platform/netbios/nbdgm_codec.h"
#include "platform/netbios/nbss_codec.h"

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

class NbLana final : private NbNameUsers {
public:
    using Serial = NbRequests::Serial;

    NbLana(std::uint8_t number, NbLanaSettings settings, NbEventLoop& loop, NbRequests& requests, NbCounters& counters);
    NbLana(const NbLana&) = delete;
    NbLana& operator=(const NbLana&) = delete;
    ~NbLana() override;

    std::uint8_t Number() const { return context_.Number(); }
    const NbInterface& Interface() const { return context_.Settings().interface; }

    // Runs one NCB command addressed to this adapter.
    static bool ServedWhenQueryOnly(std::uint8_t command);
    void Execute(NCB* ncb, Serial serial);
    // Adapter status of whoever owns `address`, without resolving a name.
    void NodeStatusByAddress(std::uint32_t address, NCB* ncb, Serial serial)
    {
        names_.NodeStatusByAddress(address, ncb, serial);
    }
    std::vector<NbCachedName> CachedNames() const { return names_.CachedNames(); }
    // Releases every name and ends every session; every pending NCB of this
    // adapter but `keep` completes with NRC_CMDCAN.
    // With `keepServiceNames` the provider's own names stay (an NCB reset).
    void Shutdown(Serial keep = 0, bool keepServiceNames = false);

    // Mailslot support. The tap sees every data datagram received; when it
    // returns true the datagram was consumed.
    using DatagramTap = std::function<bool(NbLana&, const NbDatagram&)>;
    void SetDatagramTap(DatagramTap tap) { tap_ = std::move(tap); }
    // Sends one datagram from `source`: to `address` when given, else to the
    // broadcast addresses. Returns the datagram as it was sent.
    NbDatagram SendDatagramFrom(const NetbiosNameBytes& source, const NetbiosNameBytes& destination, bool group,
                                std::optional<std::uint32_t> address, std::vector<std::uint8_t> data);
    // Resolves a name as a call does.
    void ResolveName(const NetbiosNameBytes& name, NbNameTable::ResolveHandler handler)
    {
        names_.Resolve(name, std::move(handler));
    }
    // Whether a registered local name has these first 15 bytes.
    bool HasLocalName(std::span<const std::uint8_t> base) const { return names_.HasRegisteredBase(base); }
    bool QueryOnly() const { return context_.QueryOnly(); }
    // Registers a name of the provider itself (COMPUTER<00>, WORKGROUP<00>),
    // which an NCB reset leaves in place. Does nothing on a query-only adapter.
    void AddServiceName(const NetbiosNameBytes& name, bool group) { names_.AddServiceName(name, group); }

private:
    void OpenSockets();
    void SendDatagramTo(const std::vector<std::uint8_t>& bytes, std::uint32_t address);
    void Reset(NCB* ncb, Serial serial);
    void Complete(Serial serial, std::uint8_t code) { context_.Complete(serial, code); }

    // NbNameUsers.
    bool NameHasOpenSessions(std::uint8_t num) const override;
    void NameWithdrawn(std::uint8_t num) override;
    void NameInConflict(std::uint8_t num) override;

    // Datagram service (nb_lana_datagrams.cpp).
    void SendDatagram(NCB* ncb, Serial serial, bool broadcast);
    void ReceiveDatagram(NCB* ncb, Serial serial, bool broadcast);
    void OnDatagramSocket(int fd);
    void DeliverDatagram(const NbDatagram& datagram);
    bool CompleteDatagramReceive(std::deque<Serial>& queue, const NbDatagram& datagram, std::uint8_t num);
    void EndDatagramReceives(std::uint8_t num, std::uint8_t code);

    NbLanaContext context_;
    NbEventLoop& loop_;
    NbCounters& counters_;
    const NbLanaSettings& settings_;
    NbNameService names_;

    NbSessionService sessions_;

    UniqueFd datagramSocket_;
    UniqueFd datagramBroadcastSocket_;

    std::uint16_t datagramId_ = 0;

    std::map<std::uint8_t, std::deque<Serial>> datagramReceives_;  // by name number
    std::deque<Serial> anyDatagramReceives_;
    std::deque<Serial> broadcastReceives_;
    DatagramTap tap_;
};

}  // namespace pl::nb
