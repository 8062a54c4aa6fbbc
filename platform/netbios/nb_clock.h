#pragma once
// The clock through which the provider reads time, so that tests can run it on
// a clock of their own. Now() may be called from any thread.

#include <chrono>
#include <memory>

namespace pl::nb {

class PlNetbiosClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    virtual ~PlNetbiosClock() = default;
    virtual TimePoint Now() const = 0;
};

// The steady system clock.
std::shared_ptr<PlNetbiosClock> SystemNetbiosClock();

}  // namespace pl::nb
