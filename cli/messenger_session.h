#pragma once
// The NetBIOS provider, network and personal client that the messaging
// commands of parlino-cli run, torn down in the right order (the network stops
// before the client).

#include "platform/netbios/pl_netbios_provider.h"
#include "transport/mailslot/pl_provider_mailslots.h"
#include "transport/messaging/pl_mslot_messaging_client.h"
#include "transport/messaging/pl_smb_messaging_client.h"
#include "transport/netbios/pl_netbios_network.h"

#include <memory>
#include <string>
#include <vector>

namespace pl::cli {

class MessengerSession {
public:
    // A query-only provider places calls beside a running messenger without
    // binding its ports; a full one also registers the names and listens.
    // Throws what the provider's constructor throws.
    explicit MessengerSession(bool queryOnly);
    ~MessengerSession();

    // Starts the personal client with `names` (the first is the one it sends
    // from), the adapter refresh and the broadcast client; both clients
    // deliver to `receiver`. REQUIRES: called once.
    void Start(const std::vector<std::string>& names, PlMessagingClient::Receiver* receiver);

    // Waits until every name is open on every adapter and the mailslot is
    // open, at most `ms`.
    bool WaitForNames(int ms);

    // REQUIRES: Start was called.
    PlSmbMessagingClient& Client() { return *client_; }
    PlMslotMessagingClient& BroadcastClient() { return *broadcast_; }
    PlNetbiosNetwork& Network() { return *network_; }
    nb::PlNetbiosProvider& Provider() { return *provider_; }

private:
    std::unique_ptr<nb::PlNetbiosProvider> provider_;
    std::unique_ptr<PlNetbiosNetwork> network_;
    std::unique_ptr<PlSmbMessagingClient> client_;
    std::unique_ptr<PlProviderMailslots> mailslots_;
    std::unique_ptr<PlMslotMessagingClient> broadcast_;
    std::size_t expectedNames_ = 0;
};

// Prints the reason a provider could not be started, in plain words.
void ReportProviderFailure(const char* command);

}  // namespace pl::cli
