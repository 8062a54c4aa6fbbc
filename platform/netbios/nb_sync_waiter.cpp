#include "platform/netbios/nb_sync_waiter.h"

#include <sys/eventfd.h>

#include <cstdint>

namespace pl::nb {

NbWakeFd::NbWakeFd() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

std::shared_ptr<NbWakeFd> NbWakeFd::ForThisThread()
{
    thread_local std::shared_ptr<NbWakeFd> own;
    if (!own || own->Get() < 0)
        own = std::make_shared<NbWakeFd>();
    return own;
}

void NbWakeFd::Signal() const
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(fd_.Get(), &one, sizeof one);
}

void NbWakeFd::Drain() const
{
    std::uint64_t value = 0;
    [[maybe_unused]] const auto read = ::read(fd_.Get(), &value, sizeof value);
}

}  // namespace pl::nb
