#include "transport/messaging/pl_smb_messaging_client.h"

#include "platform/smb/pl_smb_frame.h"
#include "platform/text/pl_case.h"
#include "platform/text/pl_message_text.h"
#include "platform/text/pl_netbios_name.h"
#include "platform/text/pl_utf8.h"
#include "transport/core/pl_network_err.h"
#include "transport/pdu/c_pdu_buffer.h"
#include "transport/pdu/c_smb_messenger_pdus.h"

#include <algorithm>
#include <array>

namespace {

std::atomic<std::uint16_t> gGroupCounter{0};

constexpr auto kSendSingle = static_cast<std::uint8_t>(SmbMessengerCommand::SendSingle);
constexpr auto kSendStart = static_cast<std::uint8_t>(SmbMessengerCommand::SendStart);
constexpr auto kSendText = static_cast<std::uint8_t>(SmbMessengerCommand::SendText);

// A name as it is registered: upper-cased, at most 15 bytes in the OEM code page.
std::string MessengerName(const std::string& name)
{
    return pl::FitNetbiosName(pl::UpperCase(name));
}

}  // namespace

PlSmbMessagingClient::PlSmbMessagingClient(PlNetbiosNetwork& network, const std::string& computerName,
                                           const std::string& userName)
    : PlSmbMessagingClient(network, std::vector<std::string>{computerName, userName})
{
}

PlSmbMessagingClient::PlSmbMessagingClient(PlNetbiosNetwork& network, const std::vector<std::string>& names)
    : network_(network),
      computerName_(names.empty() ? std::string() : MessengerName(names[0])),
      userName_(names.size() < 2 ? std::string() : MessengerName(names[1])),
      acceptFunction_(this, &PlSmbMessagingClient::OnSession),
      changeListener_(this, &PlSmbMessagingClient::Wake),
      thread_(this, &PlSmbMessagingClient::NameKeeper)
{
    for (const std::string& name : names) {
        const std::string upper = MessengerName(name);
        if (!upper.empty() && std::find(identities_.begin(), identities_.end(), upper) == identities_.end())
            identities_.push_back(upper);
    }
}

PlSmbMessagingClient::~PlSmbMessagingClient()
{
    thread_.Stop();
    CloseAllNames();
}

std::uint16_t PlSmbMessagingClient::NextGroupId()
{
    return ++gGroupCounter;
}

std::size_t PlSmbMessagingClient::OpenNameCount() const
{
    std::lock_guard lock(namesMutex_);
    std::size_t open = 0;
    for (const auto& name : names_)
        open += name->IsOpen() ? 1 : 0;
    return open;
}

std::size_t PlSmbMessagingClient::OpenNamesOn(const std::string& identity, const std::vector<std::uint8_t>& lanas) const
{
    std::lock_guard lock(namesMutex_);
    return static_cast<std::size_t>(std::count_if(names_.begin(), names_.end(), [&](const auto& name) {
        return name->Identity() == identity && name->IsOpen() &&
               std::find(lanas.begin(), lanas.end(), name->Lana()) != lanas.end();
    }));
}

void PlSmbMessagingClient::NameKeeper(PlThread& thread)
{
    std::array<PlEvent*, 1> events{&wakeEvent_};
    while (thread.WaitAny(events, PlEvent::kInfinite) == 0) {
        CloseAllNames();
        AddNames(identities_, NameUse::Listen);
    }
    CloseAllNames();
}

void PlSmbMessagingClient::CloseAllNames()
{
    std::vector<std::unique_ptr<CNetbiosName>> closing;
    {
        std::lock_guard lock(namesMutex_);
        closing.swap(names_);
    }
    // Deleted outside the lock: a name's listening thread may be delivering a
    // message to a receiver that sends one in turn.
    closing.clear();  // each deletion unregisters its name and stops its thread
}

void PlSmbMessagingClient::OpenSendingNames()
{
    AddNames({computerName_}, NameUse::SendOnly);
}

void PlSmbMessagingClient::AddNames(const std::vector<std::string>& identities, NameUse use)
{
    std::lock_guard networkLock(network_.Lock());
    std::lock_guard namesLock(namesMutex_);
    for (const auto& entry : network_.Interfaces()) {
        auto& networkInterface = static_cast<PlNetbiosInterface&>(*entry);
        networkInterface.Reset();
        for (const std::string& identity : identities) {
            auto name = std::make_unique<CNetbiosName>(identity, pl::ncb::kMessengerSuffix, networkInterface);
            name->SetIdentity(identity);
            if (use == NameUse::Listen) {
                name->SetAcceptFunction(&acceptFunction_);
                name->Start();  // its thread registers it and listens
            } else {
                name->Open();
            }
            names_.push_back(std::move(name));
        }
    }
}

// ---- receiving ----

void PlSmbMessagingClient::OnSession(CConnection* connection, void*)
{
    std::optional<Received> received = [&]() -> std::optional<Received> {
        try {
            return ServeSession(*connection);
        } catch (const PlNetworkErr&) {
            return std::nullopt;  // a session that failed midway delivers nothing
        }
    }();
    // Every session ends here, also after an unknown command or a failure, so
    // that no session or connection object is left behind.
    connection->Close();
    if (received)
        received->ticket.Deliver([&] {
            if (receiver_ != nullptr)
                receiver_->Invoke(received->msg);
        });
}

std::optional<PlSmbMessagingClient::Received> PlSmbMessagingClient::ServeSession(CConnection& connection)
{
    CPduBuffer first;
    connection.ReceiveRaw(first);
    // A first frame that is not an SMB (no signature, counts past its end)
    // starts no message; the session is hung up without a reply.
    if (!pl::smb::DecodeSmbFrame({first.Data(), static_cast<std::size_t>(first.Length())}))
        return std::nullopt;
    CSmbPdu header;
    header.Decode(first);

    if (header.Command == kSendSingle) {
        CSmbPdu_sends sends;
        sends.Decode(first);
        CMsg msg{kPersonalMessage, sends.Destination, sends.Originator, sends.Destination, sends.Text};
        sends.Reset();
        PlDeliveryOrder::Ticket ticket = deliveryOrder_.Take();
        connection.Send(sends);
        return Received{std::move(msg), std::move(ticket)};
    }
    if (header.Command == kSendStart) {
        CSmbPdu_sendstrt start;
        start.Decode(first);
        CMsg msg{kPersonalMessage, start.Destination, start.Originator, start.Destination, {}};
        start.Reset();
        start.SetGroupId(NextGroupId());
        connection.Send(start);
        PlDeliveryOrder::Ticket ticket = ReceiveBlocks(connection, msg);
        return Received{std::move(msg), std::move(ticket)};
    }
    return std::nullopt;
}

// The blocks' bytes are decoded together: a sender of raw UTF-8 cuts its
// blocks wherever the byte count falls, inside characters too.
PlDeliveryOrder::Ticket PlSmbMessagingClient::ReceiveBlocks(CConnection& connection, CMsg& msg)
{
    std::vector<std::string> blocks;
    std::size_t bytes = 0;
    bool cut = false;
    CSmbPdu_sendtxt block;
    connection.Receive(block);
    while (block.Command == kSendText) {
        // Beyond the bound the rest is acknowledged and dropped, and the
        // text shows that it was cut.
        cut = cut || bytes + block.TextBytes().size() > kMaxReceivedBytes;
        if (!cut && !block.TextBytes().empty()) {
            bytes += block.TextBytes().size();
            blocks.push_back(block.TextBytes());
        }
        CSmbPdu_sendtxt reply;
        connection.Send(reply);
        connection.Receive(block);
    }
    msg.text = pl::DecodeMessageBlocks(blocks);
    if (cut)
        msg.text += kCutMark;
    PlDeliveryOrder::Ticket ticket = deliveryOrder_.Take();
    CSmbPdu_sendend end;
    connection.Send(end);
    return ticket;
}

// ---- sending ----

void PlSmbMessagingClient::Send(CMsg msg)
{
    if (msg.kind != kPersonalMessage)
        return;
    msg.text = std::string(pl::utf8::PrefixChars(msg.text, kMaxTextChars));
    msg.from = pl::FitNetbiosName(msg.from);  // the originator is a NetBIOS name
    RequireSendableNames(msg);
    const std::vector<std::string> blocks = pl::SplitMessageText(msg.text, kBlockBytes);

    bool notFound = false;
    bool transmission = false;
    std::lock_guard lock(namesMutex_);
    for (const auto& name : names_) {
        if (name->Identity() != computerName_)
            continue;
        try {
            if (Deliver(*name, msg, blocks))
                return;
        } catch (const PlAddrNotFoundErr&) {
            notFound = true;
        } catch (const PlDataTransmissionErr&) {
            transmission = true;
        } catch (const PlNetworkErr&) {
        }
    }
    if (transmission)
        throw PlDataTransmissionErr();
    if (notFound)
        throw PlAddrNotFoundErr();
    throw PlUnknownNetworkErr();
}

bool PlSmbMessagingClient::Deliver(CNetbiosName& name, const CMsg& msg, const std::vector<std::string>& blocks)
{
    const std::string peer = pl::UpperCase(msg.address);
    const bool single = blocks.size() <= 1 && !refusals_.Refuses(peer);  // at most 128 bytes
    CConnection* connection = nullptr;
    name.Connect(msg.address, connection);
    if (connection == nullptr)
        return false;
    try {
        if (single)
            SendSingleBlock(*connection, msg, blocks);
        else
            SendMultiBlock(*connection, msg, blocks);
        connection->Close();
        return true;
    } catch (const PlDataTransmissionErr&) {
        const bool refused = single && connection->PeerEnded();
        connection->Close();  // hang up: no broken session is left open
        if (!refused)
            throw;
    }
    // A peer that takes only multi-block messages (Samba's smbd) ends the
    // session without answering a single-block one: deliver the same message
    // once more as start, text and end on a new session. Only then: a reply
    // that is late on a session still open may come from a peer that shows
    // the message, and a second delivery would show it twice.
    refusals_.Remember(peer);
    name.Connect(msg.address, connection);
    if (connection == nullptr)
        return false;
    try {
        SendMultiBlock(*connection, msg, blocks);
    } catch (const PlDataTransmissionErr&) {
        connection->Close();
        throw;
    }
    connection->Close();
    return true;
}

void PlSmbMessagingClient::SendSingleBlock(CConnection& connection, const CMsg& msg,
                                           const std::vector<std::string>& blocks)
{
    CSmbPdu_sends sends;
    sends.Originator = msg.from;
    sends.Destination = msg.to;
    sends.Text = msg.text;
    sends.SetTextBytes(blocks.empty() ? std::string() : blocks.front());
    connection.Send(sends);
    connection.Receive(sends);
}

void PlSmbMessagingClient::SendMultiBlock(CConnection& connection, const CMsg& msg,
                                          const std::vector<std::string>& blocks)
{
    CSmbPdu_sendstrt start;
    start.Originator = msg.from;
    start.Destination = msg.to;
    connection.Send(start);
    connection.Receive(start);
    const std::uint16_t groupId = start.GroupId();  // 0 when the reply carries no words

    for (const std::string& block : blocks) {
        CSmbPdu_sendtxt text;
        text.SetGroupId(groupId);
        text.SetTextBytes(block);
        connection.Send(text);
        connection.Receive(text);
    }
    CSmbPdu_sendend end;
    end.SetGroupId(groupId);
    connection.Send(end);
    connection.Receive(end);
}
