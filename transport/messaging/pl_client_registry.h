#pragma once
// PlClientRegistry: the list of messaging clients (not owned); hands each
// message to the client of its kind.

#include "transport/messaging/pl_messaging_client.h"

#include <vector>

class PlClientRegistry {
public:
    void Add(PlMessagingClient* client) { clients_.push_back(client); }

    // Sends through the first client whose kind matches; does nothing when none
    // does. The client's exceptions pass through.
    void Send(const CMsg& msg);

private:
    std::vector<PlMessagingClient*> clients_;
};
