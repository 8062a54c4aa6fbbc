#pragma once
// PlShareable: the lockable base of objects whose lists are shared between
// threads. Lock() returns the mutex, for std::lock_guard and std::unique_lock.

#include <mutex>

class PlShareable {
public:
    PlShareable() = default;
    PlShareable(const PlShareable&) = delete;
    PlShareable& operator=(const PlShareable&) = delete;
    virtual ~PlShareable() = default;

    std::mutex& Lock() const { return lock_; }

private:
    mutable std::mutex lock_;
};
