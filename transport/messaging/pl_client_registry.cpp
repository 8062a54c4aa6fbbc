#include "transport/messaging/pl_client_registry.h"

void PlClientRegistry::Send(const CMsg& msg)
{
    for (PlMessagingClient* client : clients_) {
        if (client->Kind() == msg.kind) {
            client->Send(msg);
            return;
        }
    }
}
