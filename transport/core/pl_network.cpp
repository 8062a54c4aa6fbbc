#include "transport/core/pl_network.h"

PlNetwork::PlNetwork(int refreshPeriodMs) : thread_(this, &PlNetwork::RefreshLoop), refreshPeriodMs_(refreshPeriodMs) {}

PlNetwork::~PlNetwork()
{
    thread_.Stop();
    std::lock_guard guard(Lock());
    interfaces_.clear();
}

void PlNetwork::Rebuild()
{
    interfaces_.clear();
}

void PlNetwork::RefreshLoop(PlThread& thread)
{
    while (!thread.IsStopRequested()) {
        bool changed = false;
        {
            std::lock_guard guard(Lock());
            changed_ = false;
            Refresh();
            changed = changed_;
        }
        if (changed && listener_ != nullptr)
            listener_->Invoke();
        thread.Pause(refreshPeriodMs_);
    }
}
