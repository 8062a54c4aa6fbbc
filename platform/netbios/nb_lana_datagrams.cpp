// NbLana: the datagram service (RFC 1002 section 4.4 on UDP): sending direct
// and broadcast datagrams for the local names and receiving them.

#include "platform/netbios/nb_lana.h"
#include "platform/netbios/nb_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>

namespace pl::nb {

namespace {

constexpr std::size_t kMaxDatagramData = 512;
constexpr std::uint8_t kAnyName = 0xFF;

}  // namespace

void NbLana::SendDatagram(NCB* ncb, Serial serial, bool broadcast)
{
    const auto source = names_.RegisteredNumber(ncb->ncb_num);
    if (!source)
        return Complete(serial, NRC_ILLNN);
    if (ncb->ncb_length > kMaxDatagramData || (ncb->ncb_buffer == nullptr && ncb->ncb_length > 0))
        return Complete(serial, NRC_BUFLEN);
    NbDatagram datagram;
    datagram.flags = kDgmFlagFirst;
    datagram.id = ++datagramId_;
    datagram.sourceAddress = settings_.interface.address;
    datagram.sourcePort = settings_.datagramPort;
    datagram.source = NbName{source->name, ""};
    if (broadcast) {
        datagram.destination = WildcardName();
    } else {
        std::memcpy(datagram.destination.bytes.data(), ncb->ncb_callname, NCBNAMSZ);
    }
    if (ncb->ncb_length > 0)
        datagram.data.assign(ncb->ncb_buffer, ncb->ncb_buffer + ncb->ncb_length);
    const auto owner = broadcast ? std::nullopt : names_.CachedOwner(datagram.destination.bytes);
    const bool unique = owner && !owner->group;
    // Without a cached unique owner a B-node sends to everyone: every holder
    // of the name receives it, whatever kind of name it is.
    datagram.type = broadcast ? kDgmBroadcast : unique ? kDgmDirectUnique : kDgmDirectGroup;
    const auto bytes = EncodeDatagram(datagram);
    if (unique) {
        SendDatagramTo(bytes, owner->address);
    } else {
        for (const std::uint32_t target : context_.BroadcastAddresses())
            SendDatagramTo(bytes, target);
    }
    Complete(serial, NRC_GOODRET);
    if (!unique)
        DeliverDatagram(datagram);  // local holders hear it as the network would
}

void NbLana::ReceiveDatagram(NCB* ncb, Serial serial, bool broadcast)
{
    std::optional<NbLocalName> local;
    if (!broadcast && ncb->ncb_num != kAnyName) {
        local = names_.RegisteredNumber(ncb->ncb_num);
        if (!local)
            return Complete(serial, NRC_ILLNN);
    }
    std::deque<Serial>& queue = broadcast ? broadcastReceives_
                                : !local  ? anyDatagramReceives_
                                          : datagramReceives_[local->num];
    // Receives cancelled while nothing arrived leave with the next one.
    std::erase_if(queue, [this](Serial pending) { return context_.Find(pending) == nullptr; });
    queue.push_back(serial);
}

void NbLana::OnDatagramSocket(int fd)
{
    ReceiveUdpEach(fd, [this](std::span<const std::uint8_t> bytes, std::uint32_t address, std::uint16_t port) {
        if (context_.IsOwnSource(address, port, settings_.datagramPort))
            return;  // our own broadcast, already delivered locally
        const auto datagram = DecodeDatagram(bytes);
        if (!datagram) {
            ++counters_.malformedPackets;
            return;
        }
        if (!datagram->IsData() || (datagram->flags & kDgmFlagMore) != 0 || datagram->packetOffset != 0) {
            ++counters_.droppedDatagrams;  // fragments and distributor packets are not handled
            return;
        }
        if (tap_ && tap_(*this, *datagram))
            return;
        DeliverDatagram(*datagram);
    });
}

bool NbLana::CompleteDatagramReceive(std::deque<Serial>& queue, const NbDatagram& datagram, std::uint8_t num)
{
    while (!queue.empty()) {
        const Serial serial = queue.front();
        queue.pop_front();
        NCB* ncb = context_.Find(serial);
        if (ncb == nullptr)
            continue;
        const std::size_t count =
            ncb->ncb_buffer == nullptr ? 0 : std::min<std::size_t>(datagram.data.size(), ncb->ncb_length);
        if (count > 0)
            std::memcpy(ncb->ncb_buffer, datagram.data.data(), count);
        ncb->ncb_length = static_cast<std::uint16_t>(count);
        ncb->ncb_num = num;
        std::memcpy(ncb->ncb_callname, datagram.source.bytes.data(), NCBNAMSZ);
        Complete(serial, count < datagram.data.size() ? NRC_INCOMP : NRC_GOODRET);
        return true;
    }
    return false;
}

void NbLana::DeliverDatagram(const NbDatagram& datagram)
{
    if (datagram.type == kDgmBroadcast) {
        bool delivered = false;
        while (CompleteDatagramReceive(broadcastReceives_, datagram, kAnyName))
            delivered = true;  // every receive-broadcast NCB gets its copy
        if (!delivered)
            ++counters_.droppedDatagrams;
        return;
    }
    const auto local = datagram.destination.scope.empty() ? names_.RegisteredName(datagram.destination.bytes)
                                                          : std::optional<NbLocalName>();
    if (!local) {
        ++counters_.droppedDatagrams;
        return;
    }
    const auto named = datagramReceives_.find(local->num);
    const bool delivered =
        (named != datagramReceives_.end() && CompleteDatagramReceive(named->second, datagram, local->num)) ||
        CompleteDatagramReceive(anyDatagramReceives_, datagram, local->num);
    if (!delivered)
        ++counters_.droppedDatagrams;
}

void NbLana::EndDatagramReceives(std::uint8_t num, std::uint8_t code)
{
    const auto it = datagramReceives_.find(num);
    if (it == datagramReceives_.end())
        return;
    const std::deque<Serial> receives = std::move(it->second);
    datagramReceives_.erase(it);
    for (const Serial receive : receives)
        Complete(receive, code);
}

}  // namespace pl::nb
