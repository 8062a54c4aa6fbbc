#pragma once
// PlNetbiosProvider: the project's NetBIOS-over-TCP/IP provider. One LANA per
// configured IPv4 interface; one thread owns every socket and timer. Netbios()
// may be called from any thread: a synchronous NCB waits for its completion,
// an asynchronous one (ASYNCH) returns at once and its completion sets
// ncb_retcode/ncb_cmd_cplt, runs ncb_post on the provider's thread and signals
// ncb_event. A process may run several providers (each on its own addresses).
//
// A completion routine (ncb_post) may submit asynchronous NCBs only; an NCB
// must stay valid until it completes; the provider must outlive its callers.

#include "platform/netbios/nb30.h"
#include "platform/netbios/nb_clock.h"
#include "platform/netbios/nb_counters.h"
#include "platform/netbios/nb_lana.h"
#include "platform/netbios/nb_mailslots.h"
#include "platform/netbios/netbt_config.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace pl::nb {

class NbEventLoop;
class NbRequests;

class PlNetbiosProvider {
public:
    struct Adapter {
        std::uint8_t lana = 0;
        std::string interfaceName;
        std::uint32_t address = 0;  // host order
    };

    // Binds the sockets of every interface; throws PlNetbtConfigErr for a bad
    // configuration and PlNetbiosSocketErr when a port cannot be bound.
    // A query-only provider (`queryOnly`) serves nothing: it resolves names and
    // asks for adapter status from ports of the system's choice, so that a tool
    // runs beside the provider of a running program on the same addresses.
    explicit PlNetbiosProvider(const NetbtConfig& config, std::shared_ptr<PlNetbiosClock> clock = SystemNetbiosClock(),
                               bool queryOnly = false);
    PlNetbiosProvider(const PlNetbiosProvider&) = delete;
    PlNetbiosProvider& operator=(const PlNetbiosProvider&) = delete;
    // Releases the names, ends the sessions and completes every pending NCB
    // with NRC_CMDCAN, then stops the thread.
    ~PlNetbiosProvider();

    std::uint8_t Netbios(NCB* ncb);

    const std::vector<Adapter>& Adapters() const { return adapters_; }
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
    void Start(NCB* ncb, PlEvent* syncDone);
    void Enumerate(NCB* ncb, std::uint64_t serial);
    void RunOnLoop(const std::function<void()>& task);

    std::string computerName_;
    NbCounters counters_;
    std::unique_ptr<NbEventLoop> loop_;
    std::unique_ptr<NbRequests> requests_;
    std::vector<std::unique_ptr<NbLana>> lanas_;
    std::vector<Adapter> adapters_;
    std::unique_ptr<NbMailslotService> mailslots_;
};

}  // namespace pl::nb
