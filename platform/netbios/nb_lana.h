#pragma once
// NbLana: one NetBIOS adapter (LANA) of a provider, bound to one IPv4
// address. It owns the adapter's context and its three services (names,
// sessions, datagrams), hands each NCB command to the service it belongs to,
// carries out NCBRESET and the shutdown across them, and passes on to the
// session and datagram services what the name service tells its users. The
// provider and its mailslots use the adapter through the few calls below.
// Thread contract: loop code only (the provider's loop thread, or inside
// NbEventLoop::RunExclusive), with the provider's state held; nothing blocks.

#include "platform/netbios/nb30.h"
#include "platform/netbios/nb_datagram_service.h"
#include "platform/netbios/nb_lana_context.h"
#include "platform/netbios/nb_name_service.h"
#include "platform/netbios/nb_name_table.h"
#include "platform/netbios/nb_session_service.h"
#include "platform/netbios/nbdgm_codec.h"

#include <cstdint>
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

    // Binds the adapter's sockets; throws PlNetbiosSocketErr.
    NbLana(std::uint8_t number, NbLanaSettings settings, NbEventLoop& loop, NbRequests& requests, NbCounters& counters);
    NbLana(const NbLana&) = delete;
    NbLana& operator=(const NbLana&) = delete;
    ~NbLana() override;

    std::uint8_t Number() const { return context_.Number(); }
    const NbInterface& Interface() const { return context_.Settings().interface; }
    bool QueryOnly() const { return context_.QueryOnly(); }

    // Runs one NCB command addressed to this adapter.
    static bool ServedWhenQueryOnly(std::uint8_t command);
    void Execute(NCB* ncb, Serial serial);
    // Releases every name and ends every session; every pending NCB of this
    // adapter but `keep` completes with NRC_CMDCAN.
    // With `keepServiceNames` the provider's own names stay (an NCB reset).
    void Shutdown(Serial keep = 0, bool keepServiceNames = false);
    // The adapter's interface went down or lost its address: open sessions
    // end with NRC_SABORT (what is pending on them completes with it), every
    // other pending NCB with NRC_BRIDGE (the LANA is no longer valid), and
    // the names are released as far as the network still takes a packet.
    void Withdraw();

    // Adapter status of whoever owns `address`, without resolving a name.
    void NodeStatusByAddress(std::uint32_t address, NCB* ncb, Serial serial)
    {
        names_.NodeStatusByAddress(address, ncb, serial);
    }
    std::vector<NbCachedName> CachedNames() const { return names_.CachedNames(); }

    // For the mailslots. The tap sees every data datagram received; when it
    // returns true the datagram was consumed.
    using DatagramTap = std::function<bool(NbLana&, const NbDatagram&)>;
    void SetDatagramTap(DatagramTap tap);
    // Sends one datagram from `source`: to `address` when given, else to the
    // broadcast addresses. Returns the datagram as it was sent.
    NbDatagram SendDatagramFrom(const NetbiosNameBytes& source, const NetbiosNameBytes& destination, bool group,
                                std::optional<std::uint32_t> address, std::vector<std::uint8_t> data)
    {
        return datagrams_.SendFrom(source, destination, group, address, std::move(data));
    }
    // Resolves a name as a call does.
    void ResolveName(const NetbiosNameBytes& name, NbNameTable::ResolveHandler handler)
    {
        names_.Resolve(name, std::move(handler));
    }
    // Whether a registered local name has these first 15 bytes.
    bool HasLocalName(std::span<const std::uint8_t> base) const { return names_.HasRegisteredBase(base); }
    // Registers a name of the provider itself (COMPUTER<00>, WORKGROUP<00>),
    // which an NCB reset leaves in place. Does nothing on a query-only adapter.
    void AddServiceName(const NetbiosNameBytes& name, bool group) { names_.AddServiceName(name, group); }

private:
    void Reset(NCB* ncb, Serial serial);

    // NbNameUsers.
    bool NameHasOpenSessions(std::uint8_t num) const override;
    void NameWithdrawn(std::uint8_t num) override;
    void NameInConflict(std::uint8_t num) override;

    // In the order the sockets are bound.
    NbLanaContext context_;
    NbNameService names_;
    NbDatagramService datagrams_;
    NbSessionService sessions_;
};

// A provider's adapters by LANA number.
using NbLanaMap = std::map<std::uint8_t, std::unique_ptr<NbLana>>;

}  // namespace pl::nb
