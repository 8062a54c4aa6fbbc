#include "transport/mailslot/pl_provider_mailslots.h"

#include <algorithm>
#include <cstring>

PlMailslotApi::Handle PlProviderMailslots::CreateMailslot(const std::string& path, std::size_t maxMessageSize)
{
    return service_.CreateMailslot(path, maxMessageSize);
}

bool PlProviderMailslots::GetMailslotInfo(Handle handle, std::size_t& count, std::size_t& nextSize)
{
    return service_.GetMailslotInfo(handle, count, nextSize);
}

int PlProviderMailslots::ReadFile(Handle handle, std::span<std::uint8_t> buffer)
{
    const auto message = service_.ReadMailslot(handle);
    if (!message)
        return -1;
    const std::size_t size = std::min(message->size(), buffer.size());
    if (size > 0)
        std::memcpy(buffer.data(), message->data(), size);
    return static_cast<int>(size);
}

PlMailslotApi::Handle PlProviderMailslots::CreateFile(const std::string& path)
{
    return service_.OpenMailslot(path);
}

bool PlProviderMailslots::WriteFile(Handle handle, std::span<const std::uint8_t> data)
{
    return service_.WriteMailslot(handle, data);
}

void PlProviderMailslots::CloseHandle(Handle handle)
{
    service_.CloseHandle(handle);
}
