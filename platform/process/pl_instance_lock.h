#pragma once
// PlInstanceLock: a lock file held with flock(2) for the life of the object,
// the stand-in for a named mutex that one process at a time may own. The
// kernel releases the lock when its process ends, so an instance that was
// killed never keeps the next one out (the "abandoned mutex" case).

#include <string>

#include "platform/netbios/nb_fd.h"

namespace pl {

class PlInstanceLock {
public:
    // Tries once, without waiting, to lock the file at `path` (created with
    // mode 0600 when missing; a symbolic link is refused).
    explicit PlInstanceLock(const std::string& path);

    // True when this object holds the lock; false when another process
    // holds it or the file could not be opened.
    bool Held() const { return held_; }
    // Why the lock is not held, in plain words; empty when it is.
    const std::string& Problem() const { return problem_; }

private:
    nb::UniqueFd fd_;
    bool held_ = false;
    std::string problem_;
};

}  // namespace pl
