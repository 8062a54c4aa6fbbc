#pragma once
// CMailslot: a local mailslot ("MESSNGR") kept open by its listening thread,
// which polls it every 100 ms and hands each message queued at that moment over
// as one incoming connection; sending threads write remote mailslots of the same
// name through Connect. Messages queued before the mailslot was opened are
// discarded; a mailslot that is lost is opened again by the listening loop.

#include "transport/core/c_port.h"
#include "transport/mailslot/c_mailslot_connection.h"
#include "transport/mailslot/pl_mailslot_api.h"

#include <atomic>
#include <string>

class CMailslot : public CPort {
public:
    static constexpr std::size_t kMaxMessageSize = 400;
    static constexpr int kPollMs = 100;

    CMailslot(PlMailslotApi& api, std::string mailslotName, int openRetryMs = kOpenRetryMs);
    ~CMailslot() override;

    void Receive(CConnection& connection, CProtocolDataUnit& pdu) override;
    void ReceiveRaw(CConnection& connection, CPduBuffer& buffer) override;
    void Send(CConnection& connection, CProtocolDataUnit& pdu) override;
    void SendRaw(CConnection& connection, CPduBuffer& buffer) override;
    void Close(CConnection& connection) override;
    void Accept() override;
    bool Open() override;
    void Shut() override;
    // Opens "\\NAME\MAILSLOT\<mailslot name>"; `out` is null when the target
    // cannot be reached. Raises nothing.
    void Connect(const std::string& name, CConnection*& out) override;

    const std::string& MailslotName() const { return mailslotName_; }

private:
    void DiscardQueued(PlMailslotApi::Handle handle);
    // Reads the next message of the connection's mailslot into `buffer`.
    bool ReadNext(CConnection& connection, CPduBuffer& buffer);

    PlMailslotApi& api_;
    const std::string mailslotName_;
    std::atomic<PlMailslotApi::Handle> handle_{PlMailslotApi::kInvalidHandle};
};
