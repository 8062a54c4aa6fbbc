#pragma once
// PlMslotMessagingClient: broadcast messages through the MESSNGR mailslot. Its
// keeper thread keeps the local mailslot open (created when the thread starts,
// again after Wake); every message queued in it is delivered to the receiver;
// Send writes one datagram to the target's mailslot (a computer, a domain or
// workgroup, or "*" for the own workgroup), the text cut to 128 characters and
// the datagram to the 400 bytes a receiving mailslot takes.
//
// Send may run on any thread; the mailslot list is guarded, so a Wake while a
// send runs is safe. The receiver is called on the mailslot's listening
// thread with no lock held.

#include "transport/core/pl_thread.h"
#include "transport/mailslot/c_mailslot.h"
#include "transport/mailslot/c_mailslot_pdu.h"
#include "transport/mailslot/pl_mailslot_api.h"
#include "transport/messaging/pl_messaging_client.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

class PlMslotMessagingClient : public PlMessagingClient {
public:
    static constexpr std::size_t kMaxTextChars = 128;
    static constexpr const char* kMailslotName = "MESSNGR";

    // The names are upper-cased here and cut to the 15 OEM bytes of a NetBIOS
    // name, as is the originator of every message sent; messages are sent
    // from `computerName`.
    PlMslotMessagingClient(PlMailslotApi& api, const std::string& computerName, const std::string& userName,
                           int openRetryMs = CPort::kOpenRetryMs);
    ~PlMslotMessagingClient() override;

    int Kind() const override { return kBroadcastMessage; }
    // Throws PlUnknownNetworkErr when no mailslot could open the target.
    void Send(CMsg msg) override;

    bool CreateThread() { return thread_.CreateThread(); }
    // Closes the mailslot and creates it again.
    void Wake() { wakeEvent_.Set(); }
    PlNullaryFunction<void>* ChangeListener() { return &changeListener_; }
    const std::string& ComputerName() const { return computerName_; }
    const std::string& UserName() const { return userName_; }
    // How many mailslots are open right now (for status displays and tests).
    std::size_t OpenMailslotCount() const;

private:
    void MailslotKeeper(PlThread& thread);
    void CreateMailslot();
    void CloseAllMailslots();
    void OnDatagram(CConnection* connection, void*);
    static std::string FitText(const std::string& text, CMailslotPdu pdu);

    PlMailslotApi& api_;
    const std::string computerName_;
    const std::string userName_;
    const int openRetryMs_;
    PlVoidBinaryMemberFunction<PlMslotMessagingClient, CConnection*, void*> acceptFunction_;
    PlVoidNullaryMemberFunction<PlMslotMessagingClient> changeListener_;
    mutable std::mutex mailslotsMutex_;
    std::vector<std::unique_ptr<CMailslot>> mailslots_;
    PlEvent wakeEvent_{PlEvent::Reset::Auto};
    PlThreadClassFunction<PlMslotMessagingClient> thread_;
};
