#pragma once
// CMailslotConnection: one message of a mailslot port. An incoming one reads
// the local mailslot (empty peer name); an outgoing one writes the remote
// mailslot that Connect opened for its peer name.

#include "transport/core/c_connection.h"
#include "transport/mailslot/pl_mailslot_api.h"

class CMailslotConnection : public CConnection {
public:
    CMailslotConnection(CPort* port, std::string peerName, PlMailslotApi::Handle handle, bool outgoing)
        : CConnection(port, std::move(peerName)), handle_(handle), outgoing_(outgoing)
    {
    }

    PlMailslotApi::Handle Handle() const { return handle_; }
    bool Outgoing() const { return outgoing_; }

private:
    PlMailslotApi::Handle handle_;
    bool outgoing_;
};
