#pragma once
// CNetbiosName: one messenger name registered on one NetBIOS adapter. Its
// listening thread keeps the name registered (retrying every 3 s) and keeps a
// listen posted while fewer than kMaxSessions sessions are being served; each
// accepted session is served on a worker of its own, so a silent or slow peer
// holds one session, never the name. Sending threads call remote names
// through it.
//
// Destruction requests the stop before the name is deleted, so the listening
// thread never registers the name again once closing has begun.

#include "transport/core/c_port.h"
#include "transport/netbios/c_netbios_connection.h"
#include "transport/netbios/nb_primitives.h"

#include <atomic>
#include <cstdint>
#include <string>

class PlNetbiosInterface;

class CNetbiosName : public CPort {
public:
    // Passing this suffix selects the alternative-suffix mode: registration
    // starts at 0x03 and moves up to 0x2F while the name is taken.
    static constexpr int kAlternativeSuffix = 257;
    // Incoming sessions served at once. The provider refuses callers beyond
    // them with "insufficient resources"; they try again.
    static constexpr std::size_t kMaxSessions = 16;

    CNetbiosName(const std::string& name, int suffix, const PlNetbiosInterface& networkInterface,
                 int openRetryMs = kOpenRetryMs);
    ~CNetbiosName() override;

    void Receive(CConnection& connection, CProtocolDataUnit& pdu) override;
    void ReceiveRaw(CConnection& connection, CPduBuffer& buffer) override;
    void Send(CConnection& connection, CProtocolDataUnit& pdu) override;
    void SendRaw(CConnection& connection, CPduBuffer& buffer) override;
    void Close(CConnection& connection) override;
    void Accept() override;
    bool Open() override;
    void Shut() override;
    void Connect(const std::string& name, CConnection*& out) override;
    void Start() override;

    const std::string& Name() const { return name_; }
    std::uint8_t Suffix() const { return suffix_; }
    std::uint8_t Lana() const { return lana_; }

    // Listen results after which the name must be registered again.
    static bool IsFatalListenResult(std::uint8_t code);

private:
    pl::NetbiosNameBytes OwnName() const;
    static void NoteEnd(CConnection& connection, std::uint8_t code);
    std::uint8_t LsnOf(const CConnection& connection) const;

    std::string name_;
    std::atomic<std::uint8_t> suffix_;  // moved by registration in the alternative mode
    std::uint8_t lana_;
    bool alternativeSuffix_;
    PlEvent listenEvent_{PlEvent::Reset::Manual};
    PlNetbiosEntry entry_;
};
