#pragma once
// PlNetworkBrowser: the LAN browser. Its refresh thread rebuilds a cached tree
// of the domains, workgroups and computers from the network enumeration every
// two minutes; Search walks a copy of the tree on a thread of its own, asks
// each computer for its messenger names and delivers one record per domain
// and per recipient, then calls the finished functor.
//
// Deliveries and Cancel exclude each other, so after Cancel returns no functor
// of the cancelled search is called. The browser owns its search threads and
// joins them itself: a search that ended on its own is never touched through
// a dangling pointer, and destruction waits for every search to stop.

#include "transport/browser/pl_net_enum.h"
#include "transport/browser/pl_net_resource_info.h"
#include "transport/core/pl_functors.h"
#include "transport/core/pl_thread.h"
#include "transport/netbios/pl_netbios_network.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class PlNetworkBrowser;

// One search: the browser's search body with the caller's functors, which
// Cancel clears under the search lock.
class PlNetbrowserThread : public PlThreadClassFunction<PlNetworkBrowser> {
public:
    using ResultFunction = PlUnaryFunction<void, PlNetResourceInfo>;
    using FinishedFunction = PlNullaryFunction<void>;

    PlNetbrowserThread(PlNetworkBrowser* browser, ResultFunction* result, FinishedFunction* finished,
                       std::recursive_mutex* searchLock);

    // Calls the functor under the search lock while it is still set.
    void Deliver(const PlNetResourceInfo& record);
    void Finish();
    // Clears both functors under the search lock.
    void Detach();

private:
    ResultFunction* result_;
    FinishedFunction* finished_;
    std::recursive_mutex* searchLock_;
};

class PlNetworkBrowser {
public:
    static constexpr int kRefreshMs = 120000;
    // Containers of more resources are cut, so that a hostile LAN cannot make
    // the tree grow without bound.
    static constexpr std::size_t kMaxResourcesPerContainer = 4096;
    using NameLookup = std::function<std::vector<std::string>(const std::string& computer)>;

    explicit PlNetworkBrowser(PlNetEnum& enumeration, int refreshMs = kRefreshMs);
    PlNetworkBrowser(const PlNetworkBrowser&) = delete;
    PlNetworkBrowser& operator=(const PlNetworkBrowser&) = delete;
    // Stops the refresh thread, cancels and joins every search.
    ~PlNetworkBrowser();

    // REQUIRES: set before the refresh thread starts. Not owned.
    void SetNetwork(PlNetbiosNetwork* network) { network_ = network; }
    // Replaces the adapter-status lookup (tests).
    void SetNameLookup(NameLookup lookup) { lookup_ = std::move(lookup); }
    bool CreateThread() { return refreshThread_.CreateThread(); }
    // Stops the refresh thread and cancels and joins every search; the tree
    // stays as it was. Nothing is called back after it returns.
    void Stop();
    // Rebuilds the tree at once on the calling thread.
    void Refresh();

    void Search(PlNetbrowserThread::ResultFunction* result, PlNetbrowserThread::FinishedFunction* finished);
    void Cancel();
    bool SearchFinished() const { return searchFinished_.load(); }
    std::unique_ptr<PlBrowseNode> TreeCopy() const;

private:
    friend class PlNetbrowserThread;
    void RefreshLoop(PlThread& thread);
    void EnumerateInto(const PlNetResource* parent, PlBrowseNode& node, int depth);
    void SearchBody(PlThread& thread);
    void Walk(PlNetbrowserThread& thread, const PlBrowseNode& node);
    void DeliverComputer(PlNetbrowserThread& thread, const PlNetResourceInfo& info, const std::string& domain);
    std::vector<std::string> LookUp(const std::string& computer);
    void ReapFinishedSearches();

    std::recursive_mutex searchLock_;
    PlThreadClassFunction<PlNetworkBrowser> refreshThread_;
    PlBrowseNode root_;
    mutable std::mutex treeLock_;
    PlNetbrowserThread* currentSearch_ = nullptr;  // guarded by searchLock_
    std::atomic<bool> searchFinished_{true};
    PlNetbiosNetwork* network_ = nullptr;
    PlNetEnum& enumeration_;
    const int refreshMs_;
    NameLookup lookup_;
    std::vector<std::unique_ptr<PlNetbrowserThread>> searches_;  // guarded by searchLock_
};
