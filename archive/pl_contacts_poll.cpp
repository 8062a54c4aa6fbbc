// The contact manager's polling thread: which contacts answer on the network.

#include "archive/pl_contacts_manager.h"

#include <algorithm>

void PlContactsManager::Start()
{
    thread_.CreateThread();
}

void PlContactsManager::Stop()
{
    thread_.Stop();
}

void PlContactsManager::ThreadMain(PlThread& thread)
{
    while (!thread.IsStopRequested()) {
        Poll(&thread);
        if (thread.Pause(pollPeriodMs_))
            break;
    }
}

bool PlContactsManager::Available(const PlContactRecord& record, const PlThread* thread)
{
    PlNetbiosNetwork* network = nullptr;
    PlWorkgroupListed listed;
    {
        std::lock_guard lock(lock_);
        network = network_;
        listed = workgroupListed_;
    }
    if (record.type == kContactUser)
        return network != nullptr && PlMessengerNameAnswers(*network, record.realName, thread);
    if (record.type == kContactWorkgroup)
        return listed && listed(record.realName);
    return false;
}

bool PlContactsManager::Poll(const PlThread* thread)
{
    // 1-3: one status entry per distinct (RealName, Type) of the tree.
    {
        std::lock_guard lock(lock_);
        for (Status& status : statuses_)
            status.stale = true;
        for (const Group& group : groups_)
            for (const auto& member : group.members) {
                const auto found = std::find_if(statuses_.begin(), statuses_.end(), [&](const Status& s) {
                    return s.record.realName == member->record.realName && s.record.type == member->record.type;
                });
                if (found == statuses_.end())
                    statuses_.push_back({member->record, false, false});
                else
                    found->stale = false;
            }
        std::erase_if(statuses_, [](const Status& s) { return s.stale; });
    }
    // 4: the queries, without the lock. Only this thread changes the status
    // list's length and records; the copies keep the queries independent of it.
    std::vector<Status> checked;
    {
        std::lock_guard lock(lock_);
        checked = statuses_;
    }
    bool changed = false;
    for (Status& status : checked) {
        if (thread != nullptr && thread->IsStopRequested())
            return changed;
        const bool available = Available(status.record, thread);
        if (thread != nullptr && thread->IsStopRequested())
            return changed;  // a query cut short proves nothing
        changed = changed || available != status.available;
        status.available = available;
    }
    // 5: availability into the tree.
    {
        std::lock_guard lock(lock_);
        statuses_ = checked;
        for (const Status& status : statuses_)
            for (Group& group : groups_)
                for (auto& member : group.members)
                    if (member->record.realName == status.record.realName && member->record.type == status.record.type)
                        member->available = status.available;
    }
    if (changed)
        NotifyRepaint();
    return changed;
}
