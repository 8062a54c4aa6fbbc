#pragma once
// PlNetbiosProvider: the project's NetBIOS-over-TCP/IP provider. One LANA per
// configured IPv4 interface that is up, following the interfaces as they come,
// go and change address (an interface that stays keeps its LANA number); one
// thread owns every socket and timer. Netbios()
// may be called from any thread: a synchronous NCB waits for its completion,
// an asynchronous one (ASYNCH) returns at once and its completion sets
// ncb_retcode/ncb_cmd_cplt and runs ncb_post with the provider's state held
// (on the provider's thread, or on the thread of a synchronous caller that
// waits for the same socket), and sets ncb_event once the state is released.
// A process may run several providers (each on its own addresses).
//
// A completion routine (ncb_post) may submit asynchronous NCBs only; an NCB
// must stay valid until it completes, and its ncb_event until it is set (a
// caller that learns of the completion otherwise, from ncb_cmd_cplt or from
// a cancel that found nothing to cancel, waits for the event before it frees
// it); the provider must outlive its callers.

#include "platform/netbios/nb30.h"
#include "platform/netbios/nb_clock.h"
#include "platform/netbios/nb_counters.h"
#include "platform/netbios/nb_interface_source.h"
#include "platform/netbios/nb_lana.h"
#include "platform/netbios/nb_lana_numbers.h"
#include "platform/netbios/nb_mailslots.h"
#include "platform/netbios/netbt_config.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace pl::nb {

class NbEventLoop;
class NbRequests;
class NbSyncWaiter;

class PlNetbiosProvider {
public:
    struct Adapter {
        std::uint8_t lana = 0;
        std::string interfaceName;
        std::uint32_t address = 0;  // host order
    };

    static constexpr auto kAdapterRetry = std::chrono::seconds(5);

    // Binds the sockets of every interface that is usable now; throws
    // PlNetbtConfigErr for a bad configuration and PlNetbiosSocketErr when a
    // port cannot be bound or the interfaces cannot be read. Configured
    // interfaces that are absent or down are waited for: they get their LANA
    // when they come up with an IPv4 address; one that cannot be bound then is
    // counted (Counters().failedAdapters) and tried again every 5 s.
    // A query-only provider (`queryOnly`) serves nothing: it resolves names and
    // asks for adapter status from ports of the system's choice, so that a tool
    // runs beside the provider of a running program on the same addresses.
    // `interfaces` replaces the kernel's interfaces (tests).
    explicit PlNetbiosProvider(const NetbtConfig& config, std::shared_ptr<PlNetbiosClock> clock = SystemNetbiosClock(),
                               bool queryOnly = false, std::unique_ptr<NbInterfaceSource> interfaces = nullptr);
    PlNetbiosProvider(const PlNetbiosProvider&) = delete;
    PlNetbiosProvider& operator=(const PlNetbiosProvider&) = delete;
    // Releases the names, ends the sessions and completes every pending NCB
    // with NRC_CMDCAN, then stops the thread.
    ~PlNetbiosProvider();

    std::uint8_t Netbios(NCB* ncb);

    // The adapters now, by LANA number; thread-safe.
    std::vector<Adapter> Adapters() const;
    const std::string& ComputerName() const { return computerName_; }
    const NbCounters& Counters() const { return counters_; }

    // The names of the remote name cache of `lana` (empty for a bad lana).
    std::vector<NbCachedName> CachedNames(std::uint8_t lana);
    // Adapter status of the node at `address` (its names, as NCBASTAT gives them).
    std::uint8_t NodeStatusByAddress(std::uint8_t lana, std::uint32_t address, std::span<std::uint8_t> buffer,
                                     std::uint16_t& length);

    // The mailslots and the browse list (thread-safe, see NbMailslotService).
    NbMailslotService& Mailslots() { return *mailslots_; }

    // Makes the thread read the clock again (after a test moved its clock).
    void Wake();

private:
    void Start(NCB* ncb, NbSyncWaiter* waiter);
    void Enumerate(NCB* ncb, std::uint64_t serial);
    void RunOnLoop(const std::function<void()>& task);
    NbLana* Find(std::uint8_t number) const;

    // Following the interfaces (loop code).
    void ApplyInterfaces(bool starting);
    bool OpenAdapter(std::uint8_t number, const NbInterface& interface, bool starting);
    void CloseAdapter(std::uint8_t number);
    void PublishAdapters();

    const NetbtConfig config_;
    const bool queryOnly_;
    std::string computerName_;
    std::vector<LmhostsEntry> lmhosts_;
    NbCounters counters_;
    std::unique_ptr<NbEventLoop> loop_;
    std::unique_ptr<NbRequests> requests_;
    NbWinsFarewells farewells_;
    NbLanaMap lanas_;
    NbLanaNumbers numbers_;
    NbEventLoop::TimerId retryTimer_ = 0;
    mutable std::mutex adaptersMutex_;
    std::vector<Adapter> adapters_;  // guarded by adaptersMutex_
    std::unique_ptr<NbMailslotService> mailslots_;
    std::unique_ptr<NbInterfaceSource> interfaces_;
};

}  // namespace pl::nb
