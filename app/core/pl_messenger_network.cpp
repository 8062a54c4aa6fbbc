#include "app/core/pl_messenger_network.h"

#include <set>

#include "platform/netbios/netbt_config.h"
#include "platform/text/pl_case.h"
#include "platform/xdg/pl_xdg_paths.h"
#include "transport/browser/pl_provider_net_enum.h"
#include "transport/core/c_port.h"
#include "transport/mailslot/pl_provider_mailslots.h"

PlMessengerNetwork::PlMessengerNetwork(bool queryOnly)
{
    provider_ =
        std::make_unique<pl::nb::PlNetbiosProvider>(pl::nb::LoadNetbtConfig(), pl::nb::SystemNetbiosClock(), queryOnly);
    ownMailslots_ = std::make_unique<PlProviderMailslots>(provider_->Mailslots());
    ownEnumeration_ = std::make_unique<PlProviderNetEnum>(provider_->Mailslots());
    mailslots_ = ownMailslots_.get();
    enumeration_ = ownEnumeration_.get();
    computerName_ = provider_->ComputerName();
    network_ = std::make_unique<PlNetbiosNetwork>([this](NCB* ncb) { return provider_->Netbios(ncb); });
}

PlMessengerNetwork::PlMessengerNetwork(const PlMessengerTransports& transports)
    : mailslots_(transports.mailslots),
      enumeration_(transports.enumeration),
      computerName_(transports.computerName),
      network_(std::make_unique<PlNetbiosNetwork>(transports.netbios, transports.refreshPeriodMs))
{
}

PlMessengerNetwork::~PlMessengerNetwork()
{
    StopClients();
    network_.reset();
    provider_.reset();
}

void PlMessengerNetwork::MakePersonal(const std::vector<std::string>& names)
{
    names_ = names;
    std::set<std::string> distinct;
    for (const std::string& name : names)
        if (!name.empty())
            distinct.insert(pl::UpperCase(name));
    distinctNames_ = distinct.size();
    personal_ = std::make_unique<PlSmbMessagingClient>(*network_, names);
    if (provider_)  // the system's network: what peers refused is kept for the next process
        personal_->KeepRefusalsIn(pl::XdgCacheHome() + "/parlino/single-block-refusals");
}

void PlMessengerNetwork::StartPersonal(const std::vector<std::string>& names, PlMessagingClient::Receiver* receiver)
{
    MakePersonal(names);
    personal_->SetReceiver(receiver);
    personal_->CreateThread();
    network_->SetListener(personal_->ChangeListener());
    network_->StartRefresh();
}

void PlMessengerNetwork::StartSendOnly()
{
    sendOnly_ = true;
    MakePersonal({computerName_});
    {
        std::lock_guard lock(network_->Lock());
        network_->Refresh();
    }
    personal_->OpenSendingNames();
}

void PlMessengerNetwork::StartBroadcast(PlMessagingClient::Receiver* receiver)
{
    if (mailslots_ == nullptr)
        return;
    broadcast_ = std::make_unique<PlMslotMessagingClient>(*mailslots_, computerName_,
                                                          names_.size() > 1 ? names_[1] : std::string());
    broadcast_->SetReceiver(receiver);
    broadcast_->CreateThread();
}

void PlMessengerNetwork::RegisterClients()
{
    if (personal_)
        registry_.Add(personal_.get());
    if (broadcast_)
        registry_.Add(broadcast_.get());
}

bool PlMessengerNetwork::WaitForNames(int ms) const
{
    return CPort::WaitForPorts(
        [this] {
            std::size_t adapters = 0;
            if (provider_ && !sendOnly_) {
                adapters = provider_->Adapters().size();  // a copy taken under the provider's lock
            } else {
                std::lock_guard lock(network_->Lock());
                adapters = network_->Interfaces().size();
            }
            const bool named = personal_ == nullptr || personal_->OpenNameCount() >= distinctNames_ * adapters;
            const bool slotted = broadcast_ == nullptr || broadcast_->OpenMailslotCount() > 0;
            return named && slotted;
        },
        ms);
}

void PlMessengerNetwork::StopClients()
{
    registry_ = PlClientRegistry();
    broadcast_.reset();
    // No change notification reaches the client once the refresh stopped; the
    // client's names close while the network they were built from still exists.
    network_->StopRefresh();
    personal_.reset();
}
