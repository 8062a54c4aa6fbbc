#pragma once
// PlProviderNetEnum: the network enumeration served by the NetBIOS provider's
// browse list: the root holds one network, the network the workgroups and
// domains heard on the LAN, each of them the computers that announced
// themselves in it ("\\NAME"). The provider must outlive this object.

#include "platform/netbios/nb_mailslots.h"
#include "transport/browser/pl_net_enum.h"

class PlProviderNetEnum : public PlNetEnum {
public:
    static constexpr const char* kNetworkName = "Microsoft Windows Network";

    explicit PlProviderNetEnum(pl::nb::NbMailslotService& service) : service_(service) {}
    std::optional<std::vector<PlNetResource>> Enumerate(const PlNetResource* parent) override;

private:
    pl::nb::NbMailslotService& service_;
};
