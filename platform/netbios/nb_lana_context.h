#pragma once
// NbLanaContext: what every service of one adapter (LANA) shares: its number,
// settings and limits, the provider's event loop, pending requests and
// counters, and where the adapter's broadcasts go. NbLana owns it and its
// services; the services keep a reference and never outlive it. Nothing in it
// assumes a fixed set of adapters. Loop code only (the provider's loop thread,
// or inside NbEventLoop::RunExclusive), with the provider's state held, like
// the services themselves.

#include "platform/netbios/nb30.h"
#include "platform/netbios/nb_counters.h"
#include "platform/netbios/nb_event_loop.h"
#include "platform/netbios/nb_interfaces.h"
#include "platform/netbios/nb_lmhosts.h"
#include "platform/netbios/nb_requests.h"
#include "platform/netbios/nb_wins_farewells.h"

#include <cstddef>
#include <cstdint>
#include <optional>
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
    NbWinsFarewells* farewells = nullptr;         // the provider's; null: none kept
    std::chrono::seconds sessionIdleTimeout{30};  // 0: never
    // A query-only adapter (tools beside a running provider): the name socket
    // on a port of the system's choice, no datagram or session service, no
    // names of its own, and broadcasts also reach the own address.
    bool queryOnly = false;
};

// The sizes an NCB reset sets: names in the table, sessions open at once.
struct NbLanaLimits {
    static constexpr std::size_t kDefault = 64;
    static constexpr std::size_t kMost = 254;
    std::size_t names = kDefault;
    std::size_t sessions = kDefault;
};

class NbLanaContext {
public:
    using Serial = NbRequests::Serial;

    NbLanaContext(std::uint8_t number, NbLanaSettings settings, NbEventLoop& loop, NbRequests& requests,
                  NbCounters& counters);
    NbLanaContext(const NbLanaContext&) = delete;
    NbLanaContext& operator=(const NbLanaContext&) = delete;

    std::uint8_t Number() const { return number_; }
    const NbLanaSettings& Settings() const { return settings_; }
    std::uint32_t Address() const { return settings_.interface.address; }
    bool QueryOnly() const { return settings_.queryOnly; }
    NbLanaLimits& Limits() { return limits_; }
    const NbLanaLimits& Limits() const { return limits_; }
    NbEventLoop& Loop() const { return loop_; }
    NbCounters& Counters() const { return counters_; }

    // The NCB of a pending request, or null once it completed or was cancelled.
    NCB* Find(Serial serial) const { return requests_.Find(serial); }
    // Completes a request; nothing happens when it is no longer pending.
    void Complete(Serial serial, std::uint8_t code) const { requests_.Complete(serial, code); }
    // Completes every pending NCB of this adapter but `except` with `code`.
    void CompleteAll(std::uint8_t code, Serial except) const { requests_.CompleteAll(number_, code, except); }

    // Where the adapter's broadcasts go: the configured stand-ins, else the
    // interface's broadcast address; never the own address unless query-only.
    std::vector<std::uint32_t> BroadcastAddresses() const;
    // Whether a packet came from this adapter's own socket on `ownPort`.
    bool IsOwnSource(std::uint32_t address, std::uint16_t port, std::uint16_t ownPort) const
    {
        return address == settings_.interface.address && port == ownPort;
    }

private:
    const std::uint8_t number_;
    const NbLanaSettings settings_;
    NbLanaLimits limits_;
    NbEventLoop& loop_;
    NbRequests& requests_;
    NbCounters& counters_;
};

}  // namespace pl::nb
