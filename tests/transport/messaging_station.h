#pragma once
// Test support for the personal client: an inbox that collects the delivered
// messages, and a station (network plus client on one NCB entry) torn down in
// the documented order, the network before the client.

#include "test_wait.h"

#include "transport/messaging/pl_smb_messaging_client.h"
#include "transport/netbios/pl_netbios_network.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct Inbox {
    void OnMessage(CMsg msg)
    {
        std::lock_guard lock(mutex);
        messages.push_back(std::move(msg));
    }
    std::size_t Count()
    {
        std::lock_guard lock(mutex);
        return messages.size();
    }
    std::mutex mutex;
    std::vector<CMsg> messages;
};

class Station {
public:
    // `adapters`: how many adapters the entry reports, so that WaitReady knows
    // how many names to wait for.
    Station(PlNetbiosEntry entry, std::size_t adapters, const std::string& computer, const std::string& user,
            int refreshMs = 10)
        : adapters_(adapters)
    {
        network_ = std::make_unique<PlNetbiosNetwork>(std::move(entry), refreshMs);
        client_ = std::make_unique<PlSmbMessagingClient>(*network_, computer, user);
        client_->SetReceiver(&receiver_);
        client_->CreateThread();
        network_->SetListener(client_->ChangeListener());
        network_->StartRefresh();
    }
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;
    ~Station()
    {
        network_.reset();
        client_.reset();
    }

    bool WaitReady() { return WaitUntil([&] { return client_->OpenNameCount() == 2 * adapters_; }); }
    PlSmbMessagingClient& Client() { return *client_; }

    Inbox inbox;

private:
    std::size_t adapters_;
    PlVoidUnaryMemberFunction<Inbox, CMsg> receiver_{&inbox, &Inbox::OnMessage};
    std::unique_ptr<PlNetbiosNetwork> network_;
    std::unique_ptr<PlSmbMessagingClient> client_;
};
