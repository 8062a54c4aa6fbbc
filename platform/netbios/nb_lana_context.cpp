#include "platform/netbios/nb_lana_context.h"

#include <utility>

namespace pl::nb {

NbLanaContext::NbLanaContext(std::uint8_t number, NbLanaSettings settings, NbEventLoop& loop, NbRequests& requests,
                             NbCounters& counters)
    : number_(number), settings_(std::move(settings)), loop_(loop), requests_(requests), counters_(counters)
{
}

std::vector<std::uint32_t> NbLanaContext::BroadcastAddresses() const
{
    std::vector<std::uint32_t> targets = settings_.broadcastTargets;
    if (targets.empty() && settings_.interface.broadcast)
        targets.push_back(*settings_.interface.broadcast);
    if (!settings_.queryOnly)
        std::erase(targets, settings_.interface.address);
    return targets;
}

}  // namespace pl::nb
