#pragma once
// A contact list window for tests: records what the manager tells it, from
// any thread.

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "archive/pl_cool_menu_manager_interface.h"

class FakeContactListView : public PlContactListView {
public:
    void SetNameList(const std::vector<std::string>& list) override
    {
        std::lock_guard lock(mutex_);
        names = list;
    }
    void RefreshList() override { ++refreshes; }
    void Repaint() override { ++repaints; }

    std::vector<std::string> Names()
    {
        std::lock_guard lock(mutex_);
        return names;
    }

    std::atomic<int> refreshes{0};
    std::atomic<int> repaints{0};

private:
    std::mutex mutex_;
    std::vector<std::string> names;
};
