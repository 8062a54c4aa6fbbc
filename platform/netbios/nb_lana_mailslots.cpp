// NbLana: what the provider's mailslots need of an adapter: datagrams from a
// given source name.

#include "platform/netbios/nb_lana.h"

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
        for (const std::uint32_t target : context_.BroadcastAddresses())
            SendDatagramTo(bytes, target);
    }
    return datagram;
}

}  // namespace pl::nb
