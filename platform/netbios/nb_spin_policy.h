#pragma once
// NbSpinPolicy: whether a thread about to sleep for its request's answer first
// polls for it a little. Waking a sleeping thread costs about 20 µs when its
// core idles (more on a virtual machine), longer than many answers take on a
// local network, so on a machine with more than one core a thread polls for up
// to kBudget before it sleeps. A thread whose recent answers all came much
// later stops polling until it sees a short wait again, so that threads that
// wait long (a session's next message) spend nothing on it.

#include <chrono>

namespace pl::nb {

class NbSpinPolicy {
public:
    static constexpr std::chrono::microseconds kBudget{20};
    // A wait this short could have been met, or nearly, by polling.
    static constexpr std::chrono::microseconds kShortWait{3 * kBudget};
    // Long waits in a row after which the thread stops polling.
    static constexpr int kLongWaitsToStop = 3;

    explicit NbSpinPolicy(bool severalCores) : severalCores_(severalCores) {}

    // The policy of the calling thread, for this machine.
    static NbSpinPolicy& ForThisThread();

    bool ShouldSpin() const { return severalCores_ && longWaits_ < kLongWaitsToStop; }
    // How long the thread's last wait took, polling included.
    void Record(std::chrono::nanoseconds waited);

private:
    bool severalCores_;
    int longWaits_ = 0;
};

}  // namespace pl::nb
