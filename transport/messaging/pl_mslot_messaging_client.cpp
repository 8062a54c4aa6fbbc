#include "transport/messaging/pl_mslot_messaging_client.h"

#include "platform/text/pl_case.h"
#include "platform/text/pl_netbios_name.h"
#include "platform/text/pl_utf8.h"
#include "transport/core/pl_network_err.h"
#include "transport/mailslot/c_mailslot_pdu.h"

#include <array>
#include <stdexcept>

PlMslotMessagingClient::PlMslotMessagingClient(PlMailslotApi& api, const std::string& computerName,
                                               const std::string& userName, int openRetryMs)
    : api_(api),
      computerName_(pl::FitNetbiosName(pl::UpperCase(computerName))),
      userName_(pl::FitNetbiosName(pl::UpperCase(userName))),
      openRetryMs_(openRetryMs),
      acceptFunction_(this, &PlMslotMessagingClient::OnDatagram),
      changeListener_(this, &PlMslotMessagingClient::Wake),
      thread_(this, &PlMslotMessagingClient::MailslotKeeper)
{
}

PlMslotMessagingClient::~PlMslotMessagingClient()
{
    thread_.Stop();
    CloseAllMailslots();
}

std::size_t PlMslotMessagingClient::OpenMailslotCount() const
{
    std::lock_guard lock(mailslotsMutex_);
    std::size_t open = 0;
    for (const auto& mailslot : mailslots_)
        open += mailslot->IsOpen() ? 1 : 0;
    return open;
}

void PlMslotMessagingClient::MailslotKeeper(PlThread& thread)
{
    std::array<PlEvent*, 1> events{&wakeEvent_};
    CreateMailslot();
    while (thread.WaitAny(events, PlEvent::kInfinite) == 0) {
        CloseAllMailslots();
        CreateMailslot();
    }
    CloseAllMailslots();
}

void PlMslotMessagingClient::CreateMailslot()
{
    auto mailslot = std::make_unique<CMailslot>(api_, kMailslotName, openRetryMs_);
    mailslot->SetAcceptFunction(&acceptFunction_);
    mailslot->SetIdentity(computerName_);
    CMailslot& started = *mailslot;
    {
        std::lock_guard lock(mailslotsMutex_);
        mailslots_.push_back(std::move(mailslot));
    }
    started.Start();
}

void PlMslotMessagingClient::CloseAllMailslots()
{
    std::vector<std::unique_ptr<CMailslot>> closing;
    {
        std::lock_guard lock(mailslotsMutex_);
        closing.swap(mailslots_);
    }
    // Deleted outside the lock: a listening thread may be delivering a message
    // and the receiver may send.
    closing.clear();
}

void PlMslotMessagingClient::Send(CMsg msg)
{
    if (msg.kind != kBroadcastMessage)
        return;
    RequireSendableNames(msg);
    CMailslotPdu pdu;
    pdu.Originator = pl::FitNetbiosName(msg.from);  // a NetBIOS name, as for personal messages
    pdu.Destination = msg.to;
    pdu.Text = FitText(msg.text, pdu);
    std::lock_guard lock(mailslotsMutex_);
    for (const auto& mailslot : mailslots_) {
        if (mailslot->Identity() != computerName_)
            continue;
        CConnection* connection = nullptr;
        mailslot->Connect(msg.address, connection);
        if (connection == nullptr)
            continue;
        try {
            connection->Send(pdu);
        } catch (const std::length_error&) {
            connection->Close();
            throw PlDataTransmissionErr("the message does not fit one datagram");
        }
        connection->Close();
        return;
    }
    // The mailslot layer reports no reason, so an unreachable target can only
    // be an unknown error.
    throw PlUnknownNetworkErr();
}

// The first 128 characters, and fewer when the text travels as UTF-8 (up to
// four bytes a character) and the datagram would exceed what a receiving
// mailslot takes: a longer datagram would be dropped there unseen.
std::string PlMslotMessagingClient::FitText(const std::string& text, CMailslotPdu pdu)
{
    pdu.Text = std::string(pl::utf8::PrefixChars(text, kMaxTextChars));
    for (std::size_t chars = pl::utf8::CharCount(pdu.Text); chars > 0 && pdu.EncodedSize() > CMailslot::kMaxMessageSize;
         --chars)
        pdu.Text = std::string(pl::utf8::PrefixChars(pdu.Text, chars - 1));
    return pdu.Text;
}

void PlMslotMessagingClient::OnDatagram(CConnection* connection, void*)
{
    CMailslotPdu pdu;
    connection->Receive(pdu);
    connection->Close();
    const CMsg msg{kBroadcastMessage, pdu.Destination, pdu.Originator, pdu.Destination, pdu.Text};
    if (receiver_ != nullptr)
        receiver_->Invoke(msg);
}
