#pragma once
// PlMessengerNetwork: what a messenger sends and receives through: the NetBIOS
// provider (or a test's transports), the NetBIOS network with its refresh, the
// personal and broadcast clients and the client registry. It starts them in
// the program's order and tears them down in the order that is safe: the
// refresh stops before the personal client goes, so no change notification
// reaches a client being destroyed, and the clients go before the network and
// the provider they use.
//
// Threads: construction, the Start calls and destruction on one thread;
// Registry().Send from any thread; the receiver is called on client threads.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/netbios/pl_netbios_provider.h"
#include "transport/browser/pl_net_enum.h"
#include "transport/mailslot/pl_mailslot_api.h"
#include "transport/messaging/pl_client_registry.h"
#include "transport/messaging/pl_mslot_messaging_client.h"
#include "transport/messaging/pl_smb_messaging_client.h"
#include "transport/netbios/pl_netbios_network.h"

// The transports a messenger runs on, when they do not come from the
// provider (tests: an in-memory LAN and mailslots). Not owned.
struct PlMessengerTransports {
    PlNetbiosEntry netbios;
    PlMailslotApi* mailslots = nullptr;
    PlNetEnum* enumeration = nullptr;  // may be null: nothing to browse
    std::string computerName;
    int refreshPeriodMs = PlNetwork::kRefreshPeriodMs;
};

class PlMessengerNetwork {
public:
    // Starts a NetBIOS provider from the system's configuration. A query-only
    // provider places calls and sends broadcasts beside a running messenger
    // without binding its ports. Throws what the provider's constructor throws.
    explicit PlMessengerNetwork(bool queryOnly);
    // Runs on the given transports instead; they must outlive this object.
    explicit PlMessengerNetwork(const PlMessengerTransports& transports);
    PlMessengerNetwork(const PlMessengerNetwork&) = delete;
    PlMessengerNetwork& operator=(const PlMessengerNetwork&) = delete;
    ~PlMessengerNetwork();

    // The personal client with `names` (the first is the computer's identity,
    // the one messages are sent from): its thread, then the adapter refresh.
    // REQUIRES: called once, before StartBroadcast.
    void StartPersonal(const std::vector<std::string>& names, PlMessagingClient::Receiver* receiver);
    // For a process that only sends: the personal client with the computer
    // name, registered at once on the adapters there are now, with no thread
    // to listen or to follow the adapters. REQUIRES: called once, instead of
    // StartPersonal.
    void StartSendOnly();
    // The broadcast client, registered under the same names.
    void StartBroadcast(PlMessagingClient::Receiver* receiver);
    // Adds the personal and then the broadcast client to the registry.
    void RegisterClients();

    // Waits until every name is open on every adapter the provider has now
    // (its adapters follow the interfaces; none is ready at once), or on each
    // adapter the send-only client found, and the mailslot is open, at most `ms`.
    bool WaitForNames(int ms) const;

    const std::string& ComputerName() const { return computerName_; }
    PlNetbiosNetwork& Network() { return *network_; }
    PlClientRegistry& Registry() { return registry_; }
    // Null until started.
    PlSmbMessagingClient* Personal() { return personal_.get(); }
    PlMslotMessagingClient* Broadcast() { return broadcast_.get(); }
    // Null where nothing can be browsed.
    PlNetEnum* Enumeration() { return enumeration_; }
    // Null when the transports were given.
    pl::nb::PlNetbiosProvider* Provider() { return provider_.get(); }

    // Stops the adapter refresh and destroys both clients; the network stays
    // for whoever still queries it (the contact poll). Safe to call twice.
    void StopClients();

private:
    void MakePersonal(const std::vector<std::string>& names);

    std::unique_ptr<pl::nb::PlNetbiosProvider> provider_;
    std::unique_ptr<PlMailslotApi> ownMailslots_;
    std::unique_ptr<PlNetEnum> ownEnumeration_;
    PlMailslotApi* mailslots_ = nullptr;
    PlNetEnum* enumeration_ = nullptr;
    std::string computerName_;
    std::unique_ptr<PlNetbiosNetwork> network_;
    std::unique_ptr<PlSmbMessagingClient> personal_;
    std::unique_ptr<PlMslotMessagingClient> broadcast_;
    PlClientRegistry registry_;
    std::vector<std::string> names_;
    std::size_t distinctNames_ = 0;
    bool sendOnly_ = false;
};
