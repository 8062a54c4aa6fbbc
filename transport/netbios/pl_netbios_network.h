#pragma once
// PlNetbiosNetwork: the list of NetBIOS adapters (LANAs), one PlNetbiosInterface
// each, kept current by the refresh thread of PlNetwork. All NCBs of the
// messenger go through the network's entry.

#include "transport/core/pl_network.h"
#include "transport/netbios/nb_primitives.h"

#include <cstdint>

class PlNetbiosInterface : public PlNetworkInterface {
public:
    PlNetbiosInterface(std::uint8_t lana, PlNetbiosEntry entry) : lana_(lana), entry_(std::move(entry)) {}

    // Resets the adapter for this process: 20 sessions, 30 names.
    void Reset() override;

    std::uint8_t Lana() const { return lana_; }
    const PlNetbiosEntry& Entry() const { return entry_; }

private:
    std::uint8_t lana_;
    PlNetbiosEntry entry_;
};

class PlNetbiosNetwork : public PlNetwork {
public:
    explicit PlNetbiosNetwork(PlNetbiosEntry entry, int refreshPeriodMs = kRefreshPeriodMs);
    ~PlNetbiosNetwork() override;

    // Marks every interface stale, adds the adapters that are new, deletes the
    // ones no longer reported; sets the changed flag for each addition or removal.
    void Refresh() override;
    // Deletes every interface and creates one per reported adapter, in order.
    void Rebuild() override;

    const PlNetbiosEntry& Entry() const { return entry_; }

private:
    PlNetbiosEntry entry_;
};
