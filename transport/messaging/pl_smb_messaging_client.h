#pragma once
// PlSmbMessagingClient: personal messages over NetBIOS sessions. It keeps the
// computer name and the user name registered as messenger names on every
// adapter (rebuilding them whenever the adapter list changes), serves incoming
// messenger sessions, and sends a CMsg as one single-block or multi-block SMB
// exchange, trying the adapters one after another. A peer that ended the
// session on a single-block message (Samba's smbd) is remembered (for the life
// of the client, or longer with KeepRefusalsIn): its messages go as start,
// text and end from then on.
//
// Send may run on any thread; it is serialised against the rebuilding of the
// names. The receiver is called on the listening thread of the name that
// accepted the session, with no lock held.

#include "transport/core/pl_thread.h"
#include "transport/messaging/pl_delivery_order.h"
#include "transport/messaging/pl_messaging_client.h"
#include "transport/messaging/pl_single_block_refusals.h"
#include "transport/netbios/c_netbios_name.h"
#include "transport/netbios/pl_netbios_network.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class PlSmbMessagingClient : public PlMessagingClient {
public:
    static constexpr std::size_t kMaxTextChars = 1600;
    // Text blocks are cut by bytes (OEM or raw UTF-8), never inside a character.
    static constexpr std::size_t kBlockBytes = 128;
    // Received text beyond this many bytes is acknowledged but dropped, so that
    // a peer cannot make the receiver's memory grow without bound.
    static constexpr std::size_t kMaxReceivedBytes = 16 * 1024;
    // Ends a received text that was cut at that bound.
    static constexpr const char* kCutMark = "\xE2\x80\xA6";  // U+2026 HORIZONTAL ELLIPSIS

    // The names are upper-cased here and cut to the 15 OEM bytes of a NetBIOS
    // name; so is the originator of every message sent.
    PlSmbMessagingClient(PlNetbiosNetwork& network, const std::string& computerName, const std::string& userName);
    // Registers the given names instead; the first is the one messages are sent
    // from (the computer's identity). Empty and repeated names are skipped.
    PlSmbMessagingClient(PlNetbiosNetwork& network, const std::vector<std::string>& names);
    ~PlSmbMessagingClient() override;

    int Kind() const override { return kPersonalMessage; }
    void Send(CMsg msg) override;

    // Starts the name keeper. The owner then sets ChangeListener() as the
    // network's listener and starts the network's refresh thread.
    bool CreateThread() { return thread_.CreateThread(); }
    // Called on every change of the adapter list: rebuild the names.
    void Wake() { wakeEvent_.Set(); }
    PlNullaryFunction<void>* ChangeListener() { return &changeListener_; }

    // For a process that only sends: registers the computer name on every
    // adapter the network has now, on this thread, instead of the name keeper.
    // Nothing listens on these names and nothing follows later changes of the
    // adapters; OpenNameCount tells how many opened.
    // REQUIRES: CreateThread is never called.
    void OpenSendingNames();

    // Keeps the peers that refused single-block messages in `file` as well,
    // and takes those it holds (PlSingleBlockRefusals).
    void KeepRefusalsIn(const std::string& file) { refusals_.KeepIn(file); }

    const std::string& ComputerName() const { return computerName_; }
    const std::string& UserName() const { return userName_; }

    // How many names are registered right now (for status displays and tests).
    std::size_t OpenNameCount() const;
    // How many names registered as `identity` are open on the adapters
    // `lanas`. The caller holds the network's lock (taken before the name
    // list's), so that `lanas` is the current list of adapters.
    std::size_t OpenNamesOn(const std::string& identity, const std::vector<std::uint8_t>& lanas) const;

    // The process-wide message group counter: the next id, wrapping 65535 -> 0.
    static std::uint16_t NextGroupId();

private:
    void NameKeeper(PlThread& thread);
    void CloseAllNames();
    enum class NameUse { Listen, SendOnly };
    // Adds a name for each of `identities` on every adapter the network has
    // now: a listening name is registered by its own thread, a sending-only
    // name here.
    void AddNames(const std::vector<std::string>& identities, NameUse use);

    struct Received {
        CMsg msg;
        PlDeliveryOrder::Ticket ticket;  // taken before the session's last answer
    };
    void OnSession(CConnection* connection, void*);
    std::optional<Received> ServeSession(CConnection& connection);
    PlDeliveryOrder::Ticket ReceiveBlocks(CConnection& connection, CMsg& msg);

    // Delivers through one name; false when no connection could be made.
    // `blocks` are the text's bytes, cut for the wire.
    bool Deliver(CNetbiosName& name, const CMsg& msg, const std::vector<std::string>& blocks);
    void SendSingleBlock(CConnection& connection, const CMsg& msg, const std::vector<std::string>& blocks);
    void SendMultiBlock(CConnection& connection, const CMsg& msg, const std::vector<std::string>& blocks);

    PlNetbiosNetwork& network_;
    const std::string computerName_;
    const std::string userName_;
    std::vector<std::string> identities_;  // every name registered on each adapter
    PlVoidBinaryMemberFunction<PlSmbMessagingClient, CConnection*, void*> acceptFunction_;
    PlVoidNullaryMemberFunction<PlSmbMessagingClient> changeListener_;
    PlDeliveryOrder deliveryOrder_;  // messages go on in the order they were answered
    mutable std::mutex namesMutex_;
    std::vector<std::unique_ptr<CNetbiosName>> names_;
    PlSingleBlockRefusals refusals_;
    PlEvent wakeEvent_{PlEvent::Reset::Auto};
    PlThreadClassFunction<PlSmbMessagingClient> thread_;
};
