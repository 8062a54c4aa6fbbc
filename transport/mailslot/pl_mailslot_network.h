#pragma once
// PlMailslotNetwork: the network of mailslots, always one interface for the
// messenger mailslot "MESSNGR". Nothing in it changes, so its refresh thread
// is never started.

#include "transport/core/pl_network.h"

#include <string>

class PlMailslotInterface : public PlNetworkInterface {
public:
    explicit PlMailslotInterface(std::string mailslotName) : mailslotName_(std::move(mailslotName)) {}
    const std::string& MailslotName() const { return mailslotName_; }

private:
    std::string mailslotName_;
};

class PlMailslotNetwork : public PlNetwork {
public:
    static constexpr const char* kMessengerMailslot = "MESSNGR";

    PlMailslotNetwork() { PlMailslotNetwork::Rebuild(); }
    ~PlMailslotNetwork() override { StopRefresh(); }

    void Rebuild() override
    {
        PlNetwork::Rebuild();
        interfaces_.push_back(std::make_unique<PlMailslotInterface>(kMessengerMailslot));
    }
};
