// NbLana: what the provider's mailslots need of an adapter: datagrams from a
// given source name, name resolution, and the local name table.

#include "platform/netbios/nb_lana.h"

#include <algorithm>
#include <cstring>

namespace pl::nb {

NbDatagram NbLana::SendDatagramFrom(const NetbiosNameBytes& source, const NetbiosNameBytes& destination, bool group,
                                    std::optional<std::uint32_t> address, std::vector<std::uint8_t> data)
{
    NbDatagram datagram;
    datagram.type = group ? kDgmDirectGroup : kDgmDirectUnique;
    datagram.flags = kDgmFlagFirst;
    datagram.id = ++datagramId_;
    datagram.sourceAddress = settings_.interface.address;
    datagram.sourcePort = settings_.datagramPort;
    datagram.source = NbName{source, ""};
    datagram.destination = NbName{destination, ""};
    datagram.data = std::move(data);
    const auto bytes = EncodeDatagram(datagram);
    if (address) {
        SendDatagramTo(bytes, *address);
    } else {
        for (const std::uint32_t target : BroadcastAddresses())
            SendDatagramTo(bytes, target);
    }
    return datagram;
}

void NbLana::ResolveName(const NetbiosNameBytes& name, NameHandler handler)
{
    Resolve(name, [handler = std::move(handler)](std::optional<Resolved> resolved) {
        if (!resolved)
            return handler(std::nullopt);
        handler(std::make_pair(resolved->address, resolved->group));
    });
}

bool NbLana::HasLocalName(std::span<const std::uint8_t> base) const
{
    const std::size_t length = std::min<std::size_t>(base.size(), kNetbiosNameLength - 1);
    return std::any_of(names_.begin(), names_.end(), [&](const LocalName& entry) {
        return entry.state == NameState::Registered && std::memcmp(entry.name.data(), base.data(), length) == 0;
    });
}

void NbLana::AddServiceName(const NetbiosNameBytes& name, bool group)
{
    if (settings_.queryOnly || FindName(name.data(), false) != nullptr)
        return;
    std::uint8_t num = 2;
    while (num < 0xFF && FindNameByNum(num) != nullptr)
        ++num;
    if (num == 0xFF)
        return;
    LocalName entry;
    entry.name = name;
    entry.num = num;
    entry.group = group;
    entry.service = true;
    entry.transactionId = NextTransactionId();
    entry.triesLeft = 3;
    entry.viaWins = settings_.winsServer.has_value();
    names_.push_back(std::move(entry));
    SendRegistration(names_.back());
}

}  // namespace pl::nb
