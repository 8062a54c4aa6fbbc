#pragma once
// NbStateMutex: the lock of the provider's state. Its sections are a few
// system calls long and are taken in turn by the loop's thread and the
// callers' threads, so a thread that finds it held spins a little before it
// sleeps: a sleep lets its core go idle, and waking an idle core costs more
// than the section it waited for.

#include <pthread.h>

namespace pl::nb {

class NbStateMutex {
public:
    NbStateMutex();
    ~NbStateMutex();
    NbStateMutex(const NbStateMutex&) = delete;
    NbStateMutex& operator=(const NbStateMutex&) = delete;

    // Lockable, for std::unique_lock and std::condition_variable_any.
    void lock();
    bool try_lock();
    void unlock();

private:
    pthread_mutex_t mutex_;
};

}  // namespace pl::nb
