#pragma once
// PlProviderMailslots: the mailslot functions served by the project's NetBIOS
// provider. The provider must outlive this object.

#include "platform/netbios/nb_mailslots.h"
#include "transport/mailslot/pl_mailslot_api.h"

class PlProviderMailslots : public PlMailslotApi {
public:
    explicit PlProviderMailslots(pl::nb::NbMailslotService& service) : service_(service) {}

    Handle CreateMailslot(const std::string& path, std::size_t maxMessageSize) override;
    bool GetMailslotInfo(Handle handle, std::size_t& count, std::size_t& nextSize) override;
    int ReadFile(Handle handle, std::span<std::uint8_t> buffer) override;
    Handle CreateFile(const std::string& path) override;
    bool WriteFile(Handle handle, std::span<const std::uint8_t> data) override;
    void CloseHandle(Handle handle) override;

private:
    pl::nb::NbMailslotService& service_;
};
