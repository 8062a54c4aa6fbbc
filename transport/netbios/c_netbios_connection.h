#pragma once
// CNetbiosConnection: one NetBIOS session of a CNetbiosName, identified by its
// local session number (LSN).

#include "transport/core/c_connection.h"

#include <cstdint>
#include <string>

class CNetbiosConnection : public CConnection {
public:
    CNetbiosConnection(CPort* port, std::string peerName, std::uint8_t lsn)
        : CConnection(port, std::move(peerName)), lsn_(lsn)
    {
    }

    std::uint8_t Lsn() const { return lsn_; }

private:
    std::uint8_t lsn_;
};
