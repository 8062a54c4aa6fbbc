#include "platform/netbios/nb_datagram_service.h"

#include "platform/netbios/nb_socket.h"

#include <sys/epoll.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace pl::nb {

namespace {

constexpr std::size_t kMaxDatagramData = 512;
constexpr std::uint8_t kAnyName = 0xFF;

}  // namespace

NbDatagramService::NbDatagramService(NbLanaContext& context, NbNameTable& names)
    : context_(context),
      names_(names),
      socket_(context.Loop(), UniqueFd()),
      broadcastSocket_(context.Loop(), UniqueFd())
{
    const NbLanaSettings& settings = context_.Settings();
    if (settings.queryOnly) {
        socket_.Adopt(OpenUdp(settings.interface.address, 0, true));  // sends mailslot writes only
        return;
    }
    socket_.Adopt(OpenUdp(settings.interface.address, settings.datagramPort, true));
    // A socket bound to a unicast address does not see broadcasts; a second
    // one bound to the subnet's broadcast address does.
    if (settings.broadcastTargets.empty() && settings.interface.broadcast)
        broadcastSocket_.Adopt(OpenUdp(*settings.interface.broadcast, settings.datagramPort, true));
    for (const NbWatchedSocket* socket : {&socket_, &broadcastSocket_}) {
        if (socket->Valid())
            context_.Loop().Watch(socket->Get(), EPOLLIN,
                                  [this, raw = socket->Get()](std::uint32_t) { OnSocket(raw); });
    }
}

NbDatagramService::~NbDatagramService() = default;

// Sending.

NbDatagram NbDatagramService::NewDatagram(const NetbiosNameBytes& source)
{
    NbDatagram datagram;
    datagram.flags = kDgmFlagFirst;
    datagram.id = ++datagramId_;
    datagram.sourceAddress = context_.Address();
    datagram.sourcePort = context_.Settings().datagramPort;
    datagram.source = NbName{source, ""};
    return datagram;
}

void NbDatagramService::Transmit(const NbDatagram& datagram, std::optional<std::uint32_t> address)
{
    const auto bytes = EncodeDatagram(datagram);
    if (address) {
        SendTo(bytes, *address);
    } else {
        for (const std::uint32_t target : context_.BroadcastAddresses())
            SendTo(bytes, target);
    }
}

void NbDatagramService::SendTo(const std::vector<std::uint8_t>& bytes, std::uint32_t address)
{
    if (!socket_.Valid())
        return;
    SendUdp(socket_.Get(), bytes, address, context_.Settings().datagramPort);
}

void NbDatagramService::Send(NCB* ncb, Serial serial, bool broadcast)
{
    const auto source = names_.RegisteredNumber(ncb->ncb_num);
    if (!source)
        return context_.Complete(serial, NRC_ILLNN);
    if (ncb->ncb_length > kMaxDatagramData || (ncb->ncb_buffer == nullptr && ncb->ncb_length > 0))
        return context_.Complete(serial, NRC_BUFLEN);
    NbDatagram datagram = NewDatagram(source->name);
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
    Transmit(datagram, unique ? std::optional(owner->address) : std::nullopt);
    context_.Complete(serial, NRC_GOODRET);
    if (!unique)
        Deliver(datagram);  // local holders hear it as the network would
}

NbDatagram NbDatagramService::SendFrom(const NetbiosNameBytes& source, const NetbiosNameBytes& destination, bool group,
                                       std::optional<std::uint32_t> address, std::vector<std::uint8_t> data)
{
    NbDatagram datagram = NewDatagram(source);
    datagram.type = group ? kDgmDirectGroup : kDgmDirectUnique;
    datagram.destination = NbName{destination, ""};
    datagram.data = std::move(data);
    Transmit(datagram, address);
    return datagram;
}

// Receiving.

void NbDatagramService::Receive(NCB* ncb, Serial serial, bool broadcast)
{
    std::optional<NbLocalName> local;
    if (!broadcast && ncb->ncb_num != kAnyName) {
        local = names_.RegisteredNumber(ncb->ncb_num);
        if (!local)
            return context_.Complete(serial, NRC_ILLNN);
    }
    std::deque<Serial>& queue = broadcast ? broadcastReceives_ : !local ? anyNameReceives_ : receives_[local->num];
    // Receives cancelled while nothing arrived leave with the next one.
    std::erase_if(queue, [this](Serial pending) { return context_.Find(pending) == nullptr; });
    queue.push_back(serial);
}

void NbDatagramService::OnSocket(int fd)
{
    ReceiveUdpEach(fd, [this](std::span<const std::uint8_t> bytes, std::uint32_t address, std::uint16_t port) {
        if (context_.IsOwnSource(address, port, context_.Settings().datagramPort))
            return;  // our own broadcast, already delivered locally
        const auto datagram = DecodeDatagram(bytes);
        if (!datagram) {
            ++context_.Counters().malformedPackets;
            return;
        }
        if (!datagram->IsData() || (datagram->flags & kDgmFlagMore) != 0 || datagram->packetOffset != 0) {
            ++context_.Counters().droppedDatagrams;  // fragments and distributor packets are not handled
            return;
        }
        if (tap_ && tap_(*datagram))
            return;
        Deliver(*datagram);
    });
}

bool NbDatagramService::CompleteReceive(std::deque<Serial>& queue, const NbDatagram& datagram, std::uint8_t num)
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
        context_.Complete(serial, count < datagram.data.size() ? NRC_INCOMP : NRC_GOODRET);
        return true;
    }
    return false;
}

void NbDatagramService::Deliver(const NbDatagram& datagram)
{
    if (datagram.type == kDgmBroadcast) {
        bool delivered = false;
        while (CompleteReceive(broadcastReceives_, datagram, kAnyName))
            delivered = true;  // every receive-broadcast NCB gets its copy
        if (!delivered)
            ++context_.Counters().droppedDatagrams;
        return;
    }
    const auto local = datagram.destination.scope.empty() ? names_.RegisteredName(datagram.destination.bytes)
                                                          : std::optional<NbLocalName>();
    if (!local) {
        ++context_.Counters().droppedDatagrams;
        return;
    }
    const auto named = receives_.find(local->num);
    const bool delivered = (named != receives_.end() && CompleteReceive(named->second, datagram, local->num)) ||
                           CompleteReceive(anyNameReceives_, datagram, local->num);
    if (!delivered)
        ++context_.Counters().droppedDatagrams;
}

void NbDatagramService::EndReceives(std::uint8_t num, std::uint8_t code)
{
    const auto it = receives_.find(num);
    if (it == receives_.end())
        return;
    const std::deque<Serial> receives = std::move(it->second);
    receives_.erase(it);
    for (const Serial receive : receives)
        context_.Complete(receive, code);
}

void NbDatagramService::Shutdown()
{
    receives_.clear();
    anyNameReceives_.clear();
    broadcastReceives_.clear();
}

}  // namespace pl::nb
