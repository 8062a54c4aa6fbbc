#include "platform/config/pl_config_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

#include <vector>

namespace pl {
namespace {

// Closes a file descriptor when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int Get() const { return fd_; }
    // Closes now and reports whether close succeeded (it can report a late
    // write error).
    bool Close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

void SyncFolder(const std::string& folder)
{
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() >= 0)
        ::fsync(fd.Get());  // best effort: the rename itself already happened
}

}  // namespace

std::string FollowSymlinks(const std::string& path)
{
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {  // as many as the kernel follows
        std::string target(4096, '\0');
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<std::size_t>(length) >= target.size())
            return current;
        target.resize(static_cast<std::size_t>(length));
        current = target.starts_with('/') ? target : ParentFolder(current).append("/").append(target);
    }
    return current;
}

ConfigFileContents ReadConfigFile(const std::string& path, std::size_t limit)
{
    ConfigFileContents result;
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0) {
        result.state = errno == ENOENT || errno == ENOTDIR ? ConfigFileContents::State::Missing
                                                           : ConfigFileContents::State::Unreadable;
        return result;
    }
    std::vector<char> chunk(std::size_t{64} * 1024);
    for (;;) {
        const ssize_t got = ::read(fd.Get(), chunk.data(), chunk.size());
        if (got < 0) {
            if (errno == EINTR)
                continue;
            result.bytes.clear();
            result.state = ConfigFileContents::State::Unreadable;  // EISDIR lands here too
            return result;
        }
        if (got == 0)
            break;
        const std::size_t room = limit - result.bytes.size();
        if (static_cast<std::size_t>(got) > room) {
            result.bytes.append(chunk.data(), room);
            result.truncated = true;
            break;
        }
        result.bytes.append(chunk.data(), static_cast<std::size_t>(got));
    }
    result.state = ConfigFileContents::State::Read;
    return result;
}

bool MakeDirectories(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0)
        return S_ISDIR(info.st_mode);
    const std::string parent = ParentFolder(path);
    if (parent != path && !MakeDirectories(parent))
        return false;
    return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

bool WriteFileAtomically(const std::string& requestedPath, std::string_view contents, unsigned mode)
{
    const std::string path = FollowSymlinks(requestedPath);
    const std::string folder = ParentFolder(path);
    if (!MakeDirectories(folder))
        return false;
    std::string temporary = path + ".XXXXXX";
    FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.Get() < 0)
        return false;
    const bool written =
        ::fchmod(fd.Get(), static_cast<mode_t>(mode)) == 0 && WriteAll(fd.Get(), contents) && ::fsync(fd.Get()) == 0;
    if (!fd.Close() || !written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;  // the cause, not the clean-up's outcome
        ::unlink(temporary.c_str());
        errno = error;
        return false;
    }
    SyncFolder(folder);
    return true;
}

std::string ParentFolder(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

}  // namespace pl
