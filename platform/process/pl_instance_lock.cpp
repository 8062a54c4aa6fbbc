#include "platform/process/pl_instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <cstring>

namespace pl {

PlInstanceLock::PlInstanceLock(const std::string& path)
    : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600))
{
    if (!fd_.Valid()) {
        problem_ = "cannot open " + path + ": " + std::strerror(errno);
        return;
    }
    if (::flock(fd_.Get(), LOCK_EX | LOCK_NB) == 0) {
        held_ = true;
        return;
    }
    problem_ =
        errno == EWOULDBLOCK ? "another process holds " + path : "cannot lock " + path + ": " + std::strerror(errno);
    fd_.Reset();
}

}  // namespace pl
