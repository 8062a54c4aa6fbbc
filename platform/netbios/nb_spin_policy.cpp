#include "platform/netbios/nb_spin_policy.h"

#include <thread>

namespace pl::nb {

NbSpinPolicy& NbSpinPolicy::ForThisThread()
{
    static const bool severalCores = std::thread::hardware_concurrency() > 1;
    thread_local NbSpinPolicy policy(severalCores);
    return policy;
}

void NbSpinPolicy::Record(std::chrono::nanoseconds waited)
{
    if (waited <= kShortWait)
        longWaits_ = 0;
    else if (longWaits_ < kLongWaitsToStop)
        ++longWaits_;
}

}  // namespace pl::nb
