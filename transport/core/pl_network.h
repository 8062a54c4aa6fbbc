#pragma once
// PlNetwork keeps the list of usable network interfaces current: its refresh
// thread calls Refresh under the network lock every period (5000 ms) and calls
// the change listener when Refresh reported a change.
//
// The interface list is guarded by Lock(); read it only while holding the lock.
// A derived network must call StopRefresh() first in its destructor, so that the
// thread never calls a Refresh of an object being destroyed.

#include "transport/core/pl_functors.h"
#include "transport/core/pl_shareable.h"
#include "transport/core/pl_thread.h"

#include <memory>
#include <vector>

class PlNetworkInterface {
public:
    PlNetworkInterface() = default;
    PlNetworkInterface(const PlNetworkInterface&) = delete;
    PlNetworkInterface& operator=(const PlNetworkInterface&) = delete;
    virtual ~PlNetworkInterface() = default;

    // Prepares the interface for use.
    virtual void Reset() {}

    int stale = 0;  // set by Refresh while it checks which interfaces remain
};

class PlNetwork : public PlShareable {
public:
    static constexpr int kRefreshPeriodMs = 5000;

    explicit PlNetwork(int refreshPeriodMs = kRefreshPeriodMs);
    ~PlNetwork() override;

    // The listener is not owned and may be null. Set it before StartRefresh.
    void SetListener(PlNullaryFunction<void>* listener) { listener_ = listener; }
    void StartRefresh() { thread_.CreateThread(); }
    void StopRefresh() { thread_.Stop(); }

    // Brings the interface list up to date and sets the changed flag when it
    // changed. Runs under the lock. Does nothing in PlNetwork itself.
    virtual void Refresh() {}
    // Deletes every interface; concrete networks then enumerate afresh.
    virtual void Rebuild();

    // REQUIRES: Lock() held.
    const std::vector<std::unique_ptr<PlNetworkInterface>>& Interfaces() const { return interfaces_; }

protected:
    std::vector<std::unique_ptr<PlNetworkInterface>> interfaces_;
    bool changed_ = false;

private:
    void RefreshLoop(PlThread& thread);

    PlThreadClassFunction<PlNetwork> thread_;
    PlNullaryFunction<void>* listener_ = nullptr;
    const int refreshPeriodMs_;
};
