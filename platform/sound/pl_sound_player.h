#pragma once
// PlSoundPlayer: plays the sounds of the options without waiting, through
// libcanberra. A value naming an existing file plays that file; any other
// value is a freedesktop sound-theme event id ("message-new-instant"). An
// empty value, a missing file or a machine without an audio device stays
// silent: a sound is never worth an error for the user.
//
// Play may be called from any thread.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

struct ca_context;

namespace pl {

class PlSoundPlayer {
public:
    PlSoundPlayer();
    PlSoundPlayer(const PlSoundPlayer&) = delete;
    PlSoundPlayer& operator=(const PlSoundPlayer&) = delete;
    ~PlSoundPlayer();

    // Starts the sound; true when the sound system took it.
    bool Play(const std::string& value);

private:
    std::once_flag created_;
    ca_context* context_ = nullptr;
    std::atomic<std::uint32_t> lastId_{0};
};

}  // namespace pl
