#include "storage/pl_observer.h"

#include <algorithm>

void PlObservationSubject::Attach(PlObserver* observer)
{
    observers_.push_back(observer);
}

void PlObservationSubject::Detach(PlObserver* observer)
{
    const auto it = std::find(observers_.begin(), observers_.end(), observer);
    if (it != observers_.end())
        observers_.erase(it);
}

void PlObservationSubject::Notify()
{
    // An observer may detach itself while being updated: walk a copy.
    const std::vector<PlObserver*> observers = observers_;
    for (PlObserver* observer : observers)
        observer->Update(*this);
}
