#include "transport/core/c_port.h"

#include <algorithm>
#include <utility>

CPort::CPort(int openRetryMs) : thread_(this, &CPort::ListenLoop), openRetryMs_(openRetryMs) {}

CPort::~CPort()
{
    thread_.Stop();
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
