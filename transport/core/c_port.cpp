#include "transport/core/c_port.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <utility>

namespace {

// Opening and shutting of ports in this process, for WaitForPorts. A counter
// rather than the condition itself: `ready` takes locks that may be held
// while a port opens or shuts.
std::mutex gPortsMutex;
std::condition_variable gPortsChanged;
std::uint64_t gPortsGeneration = 0;

}  // namespace

void CPort::SetOpen(bool open)
{
    open_ = open;
    {
        std::lock_guard lock(gPortsMutex);
        ++gPortsGeneration;
    }
    gPortsChanged.notify_all();
}

bool CPort::WaitForPorts(const std::function<bool()>& ready, int ms)
{
    using Clock = std::chrono::steady_clock;
    constexpr auto kLookAgain = std::chrono::milliseconds(50);
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        std::uint64_t seen = 0;
        {
            std::lock_guard lock(gPortsMutex);
            seen = gPortsGeneration;
        }
        if (ready())
            return true;
        const auto now = Clock::now();
        if (now >= deadline)
            return false;
        std::unique_lock lock(gPortsMutex);
        gPortsChanged.wait_until(lock, std::min(deadline, now + kLookAgain),
                                 [seen] { return gPortsGeneration != seen; });
    }
}

CPort::CPort(int openRetryMs) : thread_(this, &CPort::ListenLoop), openRetryMs_(openRetryMs) {}

CPort::~CPort()
{
    thread_.Stop();
    JoinWorkers();
}

void CPort::Receive(CConnection&, CProtocolDataUnit&) {}
void CPort::ReceiveRaw(CConnection&, CPduBuffer&) {}
void CPort::Send(CConnection&, CProtocolDataUnit&) {}
void CPort::SendRaw(CConnection&, CPduBuffer&) {}
void CPort::Close(CConnection&) {}

void CPort::Connect(const std::string&, CConnection*& out)
{
    out = nullptr;
}

bool CPort::EnsureOpen()
{
    for (;;) {
        if (thread_.IsStopRequested())
            return false;
        if (open_.load())
            return true;
        if (Open())
            return true;
        if (thread_.Pause(openRetryMs_))
            return false;
    }
}

void CPort::Start()
{
    thread_.CreateThread();
}

void CPort::Stop()
{
    thread_.Stop();
}

void CPort::ListenLoop(PlThread& thread)
{
    while (!thread.IsStopRequested())
        if (EnsureOpen())
            Accept();
}

std::size_t CPort::ConnectionCount() const
{
    std::lock_guard lock(connectionsMutex_);
    return connections_.size();
}

CConnection& CPort::AddConnection(std::unique_ptr<CConnection> connection)
{
    std::lock_guard lock(connectionsMutex_);
    connections_.push_back(std::move(connection));
    return *connections_.back();
}

void CPort::RemoveConnection(CConnection& connection)
{
    std::unique_ptr<CConnection> removed;  // deleted after the lock is released
    {
        std::lock_guard lock(connectionsMutex_);
        const auto it = std::find_if(connections_.begin(), connections_.end(),
                                     [&](const auto& entry) { return entry.get() == &connection; });
        if (it == connections_.end())
            return;
        removed = std::move(*it);
        connections_.erase(it);
    }
}

std::vector<std::unique_ptr<CConnection>> CPort::TakeConnections()
{
    std::lock_guard lock(connectionsMutex_);
    return std::exchange(connections_, {});
}

void CPort::HandOver(CConnection& connection)
{
    if (acceptFunction_ != nullptr)
        acceptFunction_->Invoke(&connection, nullptr);
}

void CPort::HandOverOnWorker(CConnection& connection)
{
    ReapWorkers();
    std::lock_guard lock(workersMutex_);
    Worker& worker = workers_.emplace_back();
    worker.thread = std::thread([this, &connection, &worker] {
        HandOver(connection);
        {
            std::lock_guard done(workersMutex_);
            worker.done = true;
        }
        workerDone_.Set();
    });
}

bool CPort::WaitForWorkerSlot(std::size_t limit)
{
    std::array<PlEvent*, 1> events{&workerDone_};
    for (;;) {
        ReapWorkers();
        if (BusyWorkers() < limit)
            return true;
        if (thread_.WaitAny(events, PlEvent::kInfinite) < 0)
            return false;
    }
}

std::size_t CPort::BusyWorkers() const
{
    std::lock_guard lock(workersMutex_);
    return static_cast<std::size_t>(
        std::count_if(workers_.begin(), workers_.end(), [](const Worker& worker) { return !worker.done; }));
}

void CPort::ReapWorkers()
{
    std::list<Worker> finished;
    {
        std::lock_guard lock(workersMutex_);
        for (auto it = workers_.begin(); it != workers_.end();) {
            const auto next = std::next(it);
            if (it->done)
                finished.splice(finished.end(), workers_, it);
            it = next;
        }
    }
    for (Worker& worker : finished)
        worker.thread.join();  // it has set done: it is leaving
}

void CPort::JoinWorkers()
{
    std::list<Worker> all;
    {
        std::lock_guard lock(workersMutex_);
        all.swap(workers_);
    }
    for (Worker& worker : all)
        worker.thread.join();
}

void CPort::ForEachConnection(const std::function<void(CConnection&)>& visit) const
{
    std::lock_guard lock(connectionsMutex_);
    for (const auto& connection : connections_)
        visit(*connection);
}
