#include "app/core/pl_last_message.h"

#include <utility>

void PlLastMessage::Set(PlLastMessageRecord record)
{
    std::lock_guard lock(lock_);
    record_ = std::move(record);
}

std::optional<PlLastMessageRecord> PlLastMessage::Get() const
{
    std::lock_guard lock(lock_);
    return record_;
}
