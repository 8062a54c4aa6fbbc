#include "transport/messaging/pl_messaging_client.h"

#include "transport/core/pl_network_err.h"

void PlMessagingClient::RequireSendableNames(const CMsg& msg)
{
    if (msg.to.size() > kMaxNameBytes || msg.address.size() > kMaxNameBytes || msg.from.size() > kMaxNameBytes)
        throw PlAddrNotFoundErr();
}
