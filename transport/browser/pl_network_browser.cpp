#include "transport/browser/pl_network_browser.h"

#include "transport/browser/pl_messenger_names.h"

#include <algorithm>

namespace {

constexpr int kMaxDepth = 8;  // generic containers inside one another

std::string StripBackslashes(const std::string& name)
{
    const std::size_t first = name.find_first_not_of('\\');
    return first == std::string::npos ? std::string() : name.substr(first);
}

}  // namespace

PlNetbrowserThread::PlNetbrowserThread(PlNetworkBrowser* browser, ResultFunction* result, FinishedFunction* finished,
                                       std::recursive_mutex* searchLock)
    : PlThreadClassFunction<PlNetworkBrowser>(browser, &PlNetworkBrowser::SearchBody),
      result_(result),
      finished_(finished),
      searchLock_(searchLock)
{
}

void PlNetbrowserThread::Deliver(const PlNetResourceInfo& record)
{
    std::lock_guard lock(*searchLock_);
    if (result_ != nullptr)
        result_->Invoke(record);
}

void PlNetbrowserThread::Finish()
{
    std::lock_guard lock(*searchLock_);
    if (finished_ != nullptr)
        finished_->Invoke();
}

void PlNetbrowserThread::Detach()
{
    std::lock_guard lock(*searchLock_);
    result_ = nullptr;
    finished_ = nullptr;
}

PlNetworkBrowser::PlNetworkBrowser(PlNetEnum& enumeration, int refreshMs)
    : refreshThread_(this, &PlNetworkBrowser::RefreshLoop), enumeration_(enumeration), refreshMs_(refreshMs)
{
}

PlNetworkBrowser::~PlNetworkBrowser()
{
    Stop();
    std::lock_guard lock(treeLock_);
    root_.Clear();
}

void PlNetworkBrowser::Stop()
{
    refreshThread_.Stop();
    std::vector<std::unique_ptr<PlNetbrowserThread>> searches;
    {
        std::lock_guard lock(searchLock_);
        for (auto& search : searches_) {
            search->Detach();
            search->RequestStop();
        }
        searches.swap(searches_);
        currentSearch_ = nullptr;
    }
    searches.clear();  // joins each, outside the lock a delivery may be waiting for
    searchFinished_ = true;
}

void PlNetworkBrowser::RefreshLoop(PlThread& thread)
{
    while (!thread.IsStopRequested()) {
        Refresh();
        if (thread.Pause(refreshMs_))
            return;
    }
}

void PlNetworkBrowser::Refresh()
{
    std::lock_guard lock(treeLock_);
    root_.Clear();
    EnumerateInto(nullptr, root_, 0);
}

void PlNetworkBrowser::EnumerateInto(const PlNetResource* parent, PlBrowseNode& node, int depth)
{
    if (depth > kMaxDepth || refreshThread_.IsStopRequested())
        return;
    auto resources = enumeration_.Enumerate(parent);
    if (!resources)
        return;
    if (resources->size() > kMaxResourcesPerContainer)
        resources->resize(kMaxResourcesPerContainer);
    for (const PlNetResource& resource : *resources) {
        const std::string name = StripBackslashes(resource.remoteName);
        switch (resource.displayType) {
        case kDisplayDomain: {
            const std::size_t index = node.AddChild({kResourceDomain, name, {}, {}, resource.comment, 1, 0});
            EnumerateInto(&resource, node.Child(index), depth + 1);
            break;
        }
        case kDisplayServer: node.AddChild({kResourceComputer, name, name, {}, resource.comment, 1, 0}); break;
        case kDisplayGeneric:
        case kDisplayNetwork: EnumerateInto(&resource, node, depth + 1); break;
        default: break;
        }
    }
}

std::unique_ptr<PlBrowseNode> PlNetworkBrowser::TreeCopy() const
{
    std::lock_guard lock(treeLock_);
    return root_.DeepCopy();
}

void PlNetworkBrowser::Search(PlNetbrowserThread::ResultFunction* result,
                              PlNetbrowserThread::FinishedFunction* finished)
{
    std::lock_guard lock(searchLock_);
    ReapFinishedSearches();
    searchFinished_ = false;
    searches_.push_back(std::make_unique<PlNetbrowserThread>(this, result, finished, &searchLock_));
    currentSearch_ = searches_.back().get();
    currentSearch_->CreateThread();
}

void PlNetworkBrowser::Cancel()
{
    std::lock_guard lock(searchLock_);
    if (currentSearch_ == nullptr)
        return;
    currentSearch_->Detach();
    currentSearch_->RequestStop();
    currentSearch_ = nullptr;
    searchFinished_ = true;
}

// Joins the searches whose walk has ended; running ones stay until they end.
// REQUIRES: searchLock_ held.
void PlNetworkBrowser::ReapFinishedSearches()
{
    std::erase_if(searches_, [](const auto& search) { return !search->IsActive(); });
}

void PlNetworkBrowser::SearchBody(PlThread& thread)
{
    auto& search = static_cast<PlNetbrowserThread&>(thread);
    const auto tree = TreeCopy();
    Walk(search, *tree);
    if (search.IsStopRequested())
        return;
    search.Finish();
    std::lock_guard lock(searchLock_);
    if (currentSearch_ == &search) {
        currentSearch_ = nullptr;  // Cancel leaves a search that ended alone untouched
        searchFinished_ = true;
    }
}

void PlNetworkBrowser::Walk(PlNetbrowserThread& thread, const PlBrowseNode& node)
{
    for (std::size_t i = 0; i < node.ChildCount() && !thread.IsStopRequested(); ++i) {
        const PlBrowseNode& child = node.Child(i);
        const PlNetResourceInfo& info = child.Info();
        if (info.kind == kResourceComputer) {
            DeliverComputer(thread, info, node.Info().name);
            continue;
        }
        thread.Deliver({kResourceDomain, info.name, {}, info.name, info.comment, 1, 0});
        Walk(thread, child);
    }
}

void PlNetworkBrowser::DeliverComputer(PlNetbrowserThread& thread, const PlNetResourceInfo& info,
                                       const std::string& domain)
{
    const std::vector<std::string> names = LookUp(info.computer);
    if (thread.IsStopRequested())
        return;
    if (std::find(names.begin(), names.end(), info.computer) == names.end())
        thread.Deliver({kResourceRecipient, info.computer, info.computer, domain, info.comment, 0, 0});
    for (const std::string& name : names)
        thread.Deliver({kResourceRecipient, name, info.computer, domain, info.comment, 1, 0});
}

std::vector<std::string> PlNetworkBrowser::LookUp(const std::string& computer)
{
    if (lookup_)
        return lookup_(computer);
    if (network_ == nullptr)
        return {};
    return LookUpMessengerNames(*network_, computer);
}
