#include "archive/pl_contact_reachability.h"

#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/text/pl_case.h"
#include "transport/core/pl_thread.h"
#include "transport/netbios/pl_netbios_network.h"

bool PlMessengerNameAnswers(PlNetbiosNetwork& network, const std::string& realName, const PlThread* thread)
{
    // The adapter numbers are copied under the network's lock; the queries
    // run without it, so that a send never waits behind a slow poll.
    std::vector<std::uint8_t> lanas;
    {
        std::lock_guard lock(network.Lock());
        for (const auto& interface : network.Interfaces())
            if (const auto* adapter = dynamic_cast<const PlNetbiosInterface*>(interface.get()))
                lanas.push_back(adapter->Lana());
    }
    const pl::NetbiosNameBytes name = pl::MakeNetbiosName(pl::UpperCase(realName), pl::ncb::kMessengerSuffix);
    std::vector<std::uint8_t> buffer(kContactStatusBufferSize);
    for (const std::uint8_t lana : lanas) {
        if (thread != nullptr && thread->IsStopRequested())
            return false;
        if (pl::ncb::AdapterStatus(network.Entry(), lana, name, buffer.data(), kContactStatusBufferSize,
                                   kContactStatusTimeoutMs) == 0)
            return true;
    }
    return false;
}
