#include "fake_mailslots.h"

#include <algorithm>
#include <cstring>

PlMailslotApi::Handle FakeMailslots::CreateMailslot(const std::string& path, std::size_t maxMessageSize)
{
    std::lock_guard lock(mutex_);
    ++creates_;
    for (const auto& [handle, local] : locals_)
        if (local.path == path && !local.lost)
            return kInvalidHandle;
    auto queue = std::move(backlog_[path]);
    backlog_.erase(path);
    locals_.emplace(next_, Local{path, maxMessageSize, std::move(queue), false});
    return next_++;
}

bool FakeMailslots::GetMailslotInfo(Handle handle, std::size_t& count, std::size_t& nextSize)
{
    std::lock_guard lock(mutex_);
    const auto it = locals_.find(handle);
    if (it == locals_.end() || it->second.lost)
        return false;
    count = it->second.queue.size();
    nextSize = count == 0 ? 0 : it->second.queue.front().size();
    return true;
}

int FakeMailslots::ReadFile(Handle handle, std::span<std::uint8_t> buffer)
{
    std::lock_guard lock(mutex_);
    const auto it = locals_.find(handle);
    if (it == locals_.end() || it->second.lost || it->second.queue.empty())
        return -1;
    const auto message = it->second.queue.front();
    it->second.queue.erase(it->second.queue.begin());
    const std::size_t size = std::min(message.size(), buffer.size());
    std::memcpy(buffer.data(), message.data(), size);
    return static_cast<int>(size);
}

PlMailslotApi::Handle FakeMailslots::CreateFile(const std::string& path)
{
    std::lock_guard lock(mutex_);
    const std::string target = path.substr(2, path.find('\\', 2) - 2);
    if (reachable_.count(target) == 0)
        return kInvalidHandle;
    files_.emplace(next_, path);
    return next_++;
}

bool FakeMailslots::WriteFile(Handle handle, std::span<const std::uint8_t> data)
{
    std::lock_guard lock(mutex_);
    const auto it = files_.find(handle);
    if (it == files_.end())
        return false;
    writes_.push_back(Written{it->second, {data.begin(), data.end()}});
    return true;
}

void FakeMailslots::CloseHandle(Handle handle)
{
    std::lock_guard lock(mutex_);
    locals_.erase(handle);
    files_.erase(handle);
}

void FakeMailslots::Deliver(const std::string& path, const std::vector<std::uint8_t>& data)
{
    std::lock_guard lock(mutex_);
    for (auto& [handle, local] : locals_) {
        if (local.path == path && !local.lost) {
            if (data.size() <= local.maxSize)
                local.queue.push_back(data);
            return;
        }
    }
    backlog_[path].push_back(data);
}

void FakeMailslots::AddReachable(const std::string& name)
{
    std::lock_guard lock(mutex_);
    reachable_.insert(name);
}

void FakeMailslots::LoseAll()
{
    std::lock_guard lock(mutex_);
    for (auto& [handle, local] : locals_)
        local.lost = true;
}

std::vector<FakeMailslots::Written> FakeMailslots::Writes()
{
    std::lock_guard lock(mutex_);
    return writes_;
}

int FakeMailslots::CreateCount()
{
    std::lock_guard lock(mutex_);
    return creates_;
}

std::size_t FakeMailslots::OpenHandleCount()
{
    std::lock_guard lock(mutex_);
    return locals_.size() + files_.size();
}
