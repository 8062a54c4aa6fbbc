#pragma once
// CPort: a local endpoint (a registered NetBIOS name, an open mailslot) with a
// listening thread that keeps it open and accepts incoming connections. An
// accepted connection is handed to the accept functor either on the listening
// thread (HandOver: one at a time) or on a worker thread of its own
// (HandOverOnWorker: up to a bound at once, so that a slow or silent peer
// never keeps the others out).
//
// The connection list is guarded by its own mutex: the listening thread,
// workers and sending threads add and remove connections concurrently. A
// derived port must call Stop() and then JoinWorkers() in its destructor.

#include "transport/core/c_connection.h"
#include "transport/core/pl_functors.h"
#include "transport/core/pl_thread.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class CPduBuffer;
class CProtocolDataUnit;

class CPort {
public:
    using AcceptFunction = PlBinaryFunction<void, CConnection*, void*>;

    static constexpr int kDefaultTimeoutMs = 2000;
    static constexpr int kOpenRetryMs = 3000;

    explicit CPort(int openRetryMs = kOpenRetryMs);
    CPort(const CPort&) = delete;
    CPort& operator=(const CPort&) = delete;
    virtual ~CPort();

    virtual void Receive(CConnection& connection, CProtocolDataUnit& pdu);
    virtual void ReceiveRaw(CConnection& connection, CPduBuffer& buffer);
    virtual void Send(CConnection& connection, CProtocolDataUnit& pdu);
    virtual void SendRaw(CConnection& connection, CPduBuffer& buffer);
    virtual void Close(CConnection& connection);
    // Waits for one incoming connection and hands it over.
    virtual void Accept() {}
    // Returns true once the port is open; retries Open every openRetryMs until
    // it succeeds, and returns false as soon as a stop is requested.
    virtual bool EnsureOpen();
    virtual bool Open() { return false; }
    virtual void Shut() {}
    // Opens a connection to a remote name; `out` receives it, or null.
    virtual void Connect(const std::string& name, CConnection*& out);
    virtual void Start();
    virtual void Stop();

    void SetAcceptFunction(AcceptFunction* function) { acceptFunction_ = function; }
    void SetIdentity(std::string identity) { identity_ = std::move(identity); }
    const std::string& Identity() const { return identity_; }
    bool IsOpen() const { return open_.load(); }
    // Waits until `ready` holds, at most `ms`; `ready` is looked at again
    // whenever a port of this process opens or shuts (and at least every
    // 50 ms). It may take locks of its own. True when it held.
    static bool WaitForPorts(const std::function<bool()>& ready, int ms);
    int ReceiveTimeout() const { return receiveTimeoutMs_; }
    int SendTimeout() const { return sendTimeoutMs_; }
    std::size_t ConnectionCount() const;

protected:
    // Appends a connection to the list and returns it.
    CConnection& AddConnection(std::unique_ptr<CConnection> connection);
    // Removes the connection from the list and deletes it (no-op when absent).
    void RemoveConnection(CConnection& connection);
    // Removes every connection from the list and gives them to the caller.
    std::vector<std::unique_ptr<CConnection>> TakeConnections();
    // Hands an accepted connection to the accept functor, if one is set.
    void HandOver(CConnection& connection);
    // Hands it over on a worker thread of its own and returns at once.
    void HandOverOnWorker(CConnection& connection);
    // Waits until fewer than `limit` workers serve connections; false when a
    // stop of the listening thread ended the wait.
    bool WaitForWorkerSlot(std::size_t limit);
    std::size_t BusyWorkers() const;
    // Waits for every worker to end (their connections must be ending).
    void JoinWorkers();
    // Calls `visit` for every connection in the list, under its mutex.
    void ForEachConnection(const std::function<void(CConnection&)>& visit) const;
    void SetOpen(bool open);
    PlThread& ListeningThread() { return thread_; }

private:
    void ListenLoop(PlThread& thread);
    void ReapWorkers();

    struct Worker {
        std::thread thread;
        bool done = false;  // guarded by workersMutex_
    };

    PlThreadClassFunction<CPort> thread_;
    std::atomic<bool> open_{false};
    AcceptFunction* acceptFunction_ = nullptr;
    int receiveTimeoutMs_ = kDefaultTimeoutMs;
    int sendTimeoutMs_ = kDefaultTimeoutMs;
    std::string identity_;
    mutable std::mutex connectionsMutex_;
    std::vector<std::unique_ptr<CConnection>> connections_;
    const int openRetryMs_;
    mutable std::mutex workersMutex_;
    std::list<Worker> workers_;
    PlEvent workerDone_{PlEvent::Reset::Auto};
};
