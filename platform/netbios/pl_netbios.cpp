#include "platform/netbios/pl_netbios.h"

#include "platform/netbios/pl_netbios_provider.h"

#include <mutex>

namespace pl::nb {

namespace {

std::mutex& DefaultMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<PlNetbiosProvider>& DefaultSlot()
{
    static std::shared_ptr<PlNetbiosProvider> provider;
    return provider;
}

}  // namespace

std::shared_ptr<PlNetbiosProvider> SetDefaultNetbiosProvider(std::shared_ptr<PlNetbiosProvider> provider)
{
    std::lock_guard lock(DefaultMutex());
    return std::exchange(DefaultSlot(), std::move(provider));
}

std::shared_ptr<PlNetbiosProvider> DefaultNetbiosProvider()
{
    std::lock_guard lock(DefaultMutex());
    if (!DefaultSlot())
        DefaultSlot() = std::make_shared<PlNetbiosProvider>(LoadNetbtConfig());
    return DefaultSlot();
}

}  // namespace pl::nb

std::uint8_t Netbios(NCB* ncb)
{
    std::shared_ptr<pl::nb::PlNetbiosProvider> provider;
    try {
        provider = pl::nb::DefaultNetbiosProvider();
    } catch (const PlError&) {
        if (ncb != nullptr)
            ncb->ncb_retcode = ncb->ncb_cmd_cplt = NRC_SYSTEM;
        return NRC_SYSTEM;
    }
    return provider->Netbios(ncb);
}
