#pragma once
// NbDatagramService: the datagram service of one adapter (RFC 1002 section
// 4.4, on UDP): NCBDGSEND, NCBDGSENDBC, NCBDGRECV and NCBDGRECVBC, and the
// datagrams the provider's mailslots send from a name of their choice. It owns
// the adapter's datagram sockets and keeps the pending receives per local
// name number, for any name, and for broadcasts; a tap sees each data
// datagram received before the receives do. It reaches the local names and
// the cached owners of remote ones only through NbNameTable. Thread contract:
// loop code only (the provider's loop thread, or inside
// NbEventLoop::RunExclusive), with the provider's state held; nothing blocks.

#include "platform/netbios/nb30.h"
#include "platform/netbios/nb_lana_context.h"
#include "platform/netbios/nb_name_table.h"
#include "platform/netbios/nb_watched_socket.h"
#include "platform/netbios/nbdgm_codec.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace pl::nb {

class NbDatagramService {
public:
    using Serial = NbLanaContext::Serial;
    // Sees every data datagram received; true when it consumed the datagram.
    using Tap = std::function<bool(const NbDatagram&)>;

    // Binds the datagram sockets and, unless the adapter is query-only (it
    // only sends), watches them; throws PlNetbiosSocketErr.
    NbDatagramService(NbLanaContext& context, NbNameTable& names);
    NbDatagramService(const NbDatagramService&) = delete;
    NbDatagramService& operator=(const NbDatagramService&) = delete;
    ~NbDatagramService();

    // NCB commands.
    void Send(NCB* ncb, Serial serial, bool broadcast);
    void Receive(NCB* ncb, Serial serial, bool broadcast);

    // Sends one datagram from `source`: to `address` when given, else to the
    // broadcast addresses. Returns the datagram as it was sent.
    NbDatagram SendFrom(const NetbiosNameBytes& source, const NetbiosNameBytes& destination, bool group,
                        std::optional<std::uint32_t> address, std::vector<std::uint8_t> data);
    void SetTap(Tap tap) { tap_ = std::move(tap); }

    // Completes the pending receives for local name `num` with `code`.
    void EndReceives(std::uint8_t num, std::uint8_t code);
    // Forgets every pending receive (the adapter completed their NCBs).
    void Shutdown();

private:
    NbDatagram NewDatagram(const NetbiosNameBytes& source);
    void Transmit(const NbDatagram& datagram, std::optional<std::uint32_t> address);
    void SendTo(const std::vector<std::uint8_t>& bytes, std::uint32_t address);
    void OnSocket(int fd);
    void Deliver(const NbDatagram& datagram);
    bool CompleteReceive(std::deque<Serial>& queue, const NbDatagram& datagram, std::uint8_t num);

    NbLanaContext& context_;
    NbNameTable& names_;
    NbWatchedSocket socket_;
    NbWatchedSocket broadcastSocket_;  // sees the subnet's broadcasts
    std::uint16_t datagramId_ = 0;

    std::map<std::uint8_t, std::deque<Serial>> receives_;  // by local name number
    std::deque<Serial> anyNameReceives_;
    std::deque<Serial> broadcastReceives_;
    Tap tap_;
};

}  // namespace pl::nb
