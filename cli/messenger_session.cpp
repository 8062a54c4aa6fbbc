#include "cli/messenger_session.h"

#include "platform/netbios/nb_socket.h"
#include "platform/netbios/netbt_config.h"
#include "platform/text/pl_case.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <iostream>
#include <set>
#include <thread>

namespace pl::cli {

MessengerSession::MessengerSession(bool queryOnly)
{
    const nb::NetbtConfig config = nb::LoadNetbtConfig();
    provider_ = std::make_unique<nb::PlNetbiosProvider>(config, nb::SystemNetbiosClock(), queryOnly);
    network_ = std::make_unique<PlNetbiosNetwork>([this](NCB* ncb) { return provider_->Netbios(ncb); });
}

void MessengerSession::Start(const std::vector<std::string>& names, PlMessagingClient::Receiver* receiver)
{
    client_ = std::make_unique<PlSmbMessagingClient>(*network_, names);
    std::set<std::string> distinct;
    for (const std::string& name : names)
        if (!name.empty())
            distinct.insert(UpperCase(name));
    expectedNames_ = distinct.size() * provider_->Adapters().size();
    client_->SetReceiver(receiver);
    client_->CreateThread();
    network_->SetListener(client_->ChangeListener());
    network_->StartRefresh();
    mailslots_ = std::make_unique<PlProviderMailslots>(provider_->Mailslots());
    broadcast_ = std::make_unique<PlMslotMessagingClient>(*mailslots_, provider_->ComputerName(),
                                                          names.size() > 1 ? names[1] : std::string());
    broadcast_->SetReceiver(receiver);
    broadcast_->CreateThread();
}

MessengerSession::~MessengerSession()
{
    broadcast_.reset();
    // No change notification reaches the client once the refresh stopped; the
    // client's names close while the network they were built from still exists.
    network_->StopRefresh();
    client_.reset();
    network_.reset();
    provider_.reset();
}

bool MessengerSession::WaitForNames(int ms)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (client_->OpenNameCount() < expectedNames_ || broadcast_->OpenMailslotCount() == 0) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void ReportProviderFailure(const char* command)
{
    try {
        throw;
    } catch (const nb::PlNetbtConfigErr& error) {
        std::cerr << command << ": " << error.Text() << "\n";
    } catch (const nb::PlNetbiosSocketErr& error) {
        std::cerr << command << ": cannot open the NetBIOS ports: " << error.Text()
                  << " (another NetBIOS service may be running, or the ports need root)\n";
    } catch (const std::exception& error) {
        std::cerr << command << ": " << error.what() << "\n";
    }
}

}  // namespace pl::cli
