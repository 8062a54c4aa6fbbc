#pragma once
// Netbios(): the process's NetBIOS entry point, served by the default
// provider. The default provider is created on first use from the
// configuration file (LoadNetbtConfig); a test or a tool may install its own.

#include "platform/netbios/nb30.h"

#include <memory>

namespace pl::nb {
class PlNetbiosProvider;

// Installs `provider` as the default one (null removes it); returns the
// previous one. Not to be called while another thread is inside Netbios().
std::shared_ptr<PlNetbiosProvider> SetDefaultNetbiosProvider(std::shared_ptr<PlNetbiosProvider> provider);
// The default provider, created from the configuration file when none is
// installed; throws what the provider's constructor throws.
std::shared_ptr<PlNetbiosProvider> DefaultNetbiosProvider();
}  // namespace pl::nb

// Runs `ncb` on the default provider. When the provider cannot be created the
// result is NRC_SYSTEM (the reason is available from DefaultNetbiosProvider()).
std::uint8_t Netbios(NCB* ncb);
