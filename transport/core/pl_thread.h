#pragma once
// PlThread: a worker thread with a stop event. The body polls IsStopRequested
// and waits with Pause or WaitAny, which return early when a stop is requested;
// threads are never killed, they stop cooperatively.
//
// Start, RequestStop, Stop and Join may be called from any thread but the
// thread itself (RequestStop may also be called from the thread). A derived
// class whose body uses its own members must call Stop in its destructor.

#include "platform/sync/pl_event.h"

#include <atomic>
#include <mutex>
#include <span>
#include <thread>

class PlThread {
public:
    PlThread();
    PlThread(const PlThread&) = delete;
    PlThread& operator=(const PlThread&) = delete;
    virtual ~PlThread();

    // Starts the thread (the stop event is cleared first). Returns false when the
    // thread is already running.
    bool CreateThread();

    void RequestStop();
    // Waits without limit for the thread to end.
    void Join();
    // RequestStop and Join if the thread still runs; otherwise nothing.
    void Stop();

    bool IsStopRequested() const;
    bool IsActive() const { return active_.load(); }

    // Waits on the stop event for at most `ms`; true when a stop was requested.
    bool Pause(int ms);

    // Waits for any of `events` or the stop event, at most `ms` (PlEvent::kInfinite
    // for no limit). Returns the index of the event that fired, or -1 when the stop
    // request or the time limit ended the wait.
    int WaitAny(std::span<PlEvent* const> events, int ms);

protected:
    // The thread body; does nothing in PlThread itself.
    virtual void Run() {}

private:
    void Main();

    std::mutex mutex_;  // guards thread_
    std::thread thread_;
    std::atomic<bool> active_{false};
    mutable PlEvent stopEvent_{PlEvent::Reset::Manual};
};

// A thread whose body is a member function of another object; the function
// receives the thread so that it can poll for the stop request and wait.
template <typename T>
class PlThreadClassFunction : public PlThread {
public:
    using Body = void (T::*)(PlThread&);
    PlThreadClassFunction(T* object, Body body) : object_(object), body_(body) {}
    ~PlThreadClassFunction() override { Stop(); }

protected:
    void Run() override { (object_->*body_)(*this); }

private:
    T* object_;
    Body body_;
};

// A thread whose body is the ThreadMain(PlThread&) member of an object.
template <typename T>
class PlClassThread : public PlThread {
public:
    explicit PlClassThread(T* object) : object_(object) {}
    ~PlClassThread() override { Stop(); }

protected:
    void Run() override { object_->ThreadMain(*this); }

private:
    T* object_;
};
