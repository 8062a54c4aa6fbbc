#pragma once
// CConnection: one connection of a port (a NetBIOS session, an open mailslot).
// Its operations forward to the port with the connection as first argument.
// The port owns its connections; a connection never outlives its port.

#include <atomic>
#include <string>

class CPort;
class CPduBuffer;
class CProtocolDataUnit;

class CConnection {
public:
    explicit CConnection(CPort* port, std::string peerName = {});
    CConnection(const CConnection&) = delete;
    CConnection& operator=(const CConnection&) = delete;
    virtual ~CConnection() = default;

    virtual void Receive(CProtocolDataUnit& pdu);
    virtual void ReceiveRaw(CPduBuffer& buffer);
    virtual void Send(CProtocolDataUnit& pdu);
    virtual void SendRaw(CPduBuffer& buffer);
    // Ends the connection; the port removes and deletes this object.
    virtual void Close();

    CPort* Port() const { return port_; }
    const std::string& PeerName() const { return peerName_; }

    // True once the transport saw the peer end the connection (closed or
    // aborted); false while it is open, also after a time-out.
    bool PeerEnded() const { return peerEnded_.load(); }
    void SetPeerEnded() { peerEnded_ = true; }

private:
    CPort* port_;
    std::string peerName_;
    std::atomic<bool> peerEnded_{false};
};
