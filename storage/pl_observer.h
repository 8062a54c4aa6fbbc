#pragma once
// The change notification of data sets: a subject keeps a list of observers
// (not owned, duplicates allowed) and Notify calls Update on each in order,
// on the calling thread. Attach, Detach and Notify are not synchronised:
// observers attach and detach on the thread that notifies.

#include <vector>

class PlObservationSubject;

class PlObserver {
public:
    virtual ~PlObserver() = default;
    virtual void Update(PlObservationSubject& subject) = 0;
};

class PlObservationSubject {
public:
    PlObservationSubject() = default;
    PlObservationSubject(const PlObservationSubject&) = delete;
    PlObservationSubject& operator=(const PlObservationSubject&) = delete;
    virtual ~PlObservationSubject() = default;

    virtual void Attach(PlObserver* observer);
    // Removes the first entry equal to observer, if any.
    virtual void Detach(PlObserver* observer);
    virtual void Notify();

private:
    std::vector<PlObserver*> observers_;
};
