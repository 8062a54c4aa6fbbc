#pragma once
// NbInterfaceSource: where a provider learns the network interfaces from and
// hears that they changed. The provider's own source follows the kernel over
// rtnetlink (NbNetlinkWatcher); tests give it a source of their own. The
// snapshot is complete when the source is handed to the provider. Start,
// Snapshot and the change handler run as loop code (the provider's loop
// thread, inside NbEventLoop::RunExclusive, or before the loop runs).

#include "platform/netbios/nb_event_loop.h"
#include "platform/netbios/nb_interfaces.h"

#include <functional>

namespace pl::nb {

class NbInterfaceSource {
public:
    using ChangeHandler = std::function<void()>;

    virtual ~NbInterfaceSource() = default;

    // Begins to report: `changed` runs after each batch of changes, once the
    // snapshot holds all of them.
    virtual void Start(NbEventLoop& loop, ChangeHandler changed) = 0;
    virtual const NbInterfaceSnapshot& Snapshot() const = 0;
};

}  // namespace pl::nb
