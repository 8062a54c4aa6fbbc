#include "platform/sound/pl_sound_player.h"

#include <canberra.h>
#include <sys/stat.h>

namespace pl {

PlSoundPlayer::PlSoundPlayer() = default;

PlSoundPlayer::~PlSoundPlayer()
{
    if (context_ != nullptr)
        ca_context_destroy(context_);
}

bool PlSoundPlayer::Play(const std::string& value)
{
    if (value.empty())
        return false;
    // The sound system is reached at the first sound: a program that never
    // plays one never loads its drivers.
    std::call_once(created_, [this] {
        if (ca_context_create(&context_) != CA_SUCCESS)
            context_ = nullptr;
    });
    if (context_ == nullptr)
        return false;
    struct stat info {};
    const bool file = ::stat(value.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    // Each sound has an id of its own, so that a new one never cancels the last.
    const std::uint32_t id = ++lastId_;
    const int result = file ? ca_context_play(context_, id, CA_PROP_MEDIA_FILENAME, value.c_str(), nullptr)
                            : ca_context_play(context_, id, CA_PROP_EVENT_ID, value.c_str(), nullptr);
    return result == CA_SUCCESS;
}

}  // namespace pl
