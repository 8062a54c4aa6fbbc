#include "transport/netbios/pl_netbios_network.h"

#include <algorithm>
#include <memory>

void PlNetbiosInterface::Reset()
{
    pl::ncb::ResetAdapter(entry_, lana_);
}

PlNetbiosNetwork::PlNetbiosNetwork(PlNetbiosEntry entry, int refreshPeriodMs)
    : PlNetwork(refreshPeriodMs), entry_(std::move(entry))
{
}

PlNetbiosNetwork::~PlNetbiosNetwork()
{
    StopRefresh();
}

void PlNetbiosNetwork::Rebuild()
{
    PlNetwork::Rebuild();
    LANA_ENUM lanas{};
    if (pl::ncb::EnumerateAdapters(entry_, lanas) != NRC_GOODRET)
        return;
    for (int i = 0; i < lanas.length; ++i)
        interfaces_.push_back(std::make_unique<PlNetbiosInterface>(lanas.lana[i], entry_));
}

void PlNetbiosNetwork::Refresh()
{
    for (auto& entry : interfaces_)
        entry->stale = 1;
    LANA_ENUM lanas{};
    if (pl::ncb::EnumerateAdapters(entry_, lanas) == NRC_GOODRET) {
        for (int i = 0; i < lanas.length; ++i) {
            const std::uint8_t lana = lanas.lana[i];
            const auto it = std::find_if(interfaces_.begin(), interfaces_.end(), [lana](const auto& entry) {
                return static_cast<const PlNetbiosInterface&>(*entry).Lana() == lana;
            });
            if (it != interfaces_.end()) {
                (*it)->stale = 0;
            } else {
                interfaces_.push_back(std::make_unique<PlNetbiosInterface>(lana, entry_));
                changed_ = true;
            }
        }
    }
    const auto removed = std::erase_if(interfaces_, [](const auto& entry) { return entry->stale != 0; });
    changed_ = changed_ || removed > 0;
}
