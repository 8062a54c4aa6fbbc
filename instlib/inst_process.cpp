#include "instlib/inst_process.h"

#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace pl::inst {

namespace {

// An anonymous file that holds a tool's input or collects its output, so that
// no pipe can fill up while the tool runs.
class MemoryFile {
public:
    MemoryFile() : fd_(::memfd_create("plinstlib", MFD_CLOEXEC)) {}
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    ~MemoryFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int Fd() const { return fd_; }

    bool Write(const std::string& text) const
    {
        std::size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::pwrite(fd_, text.data() + done, text.size() - done, static_cast<off_t>(done));
            if (n < 0 && errno != EINTR)
                return false;
            done += n > 0 ? static_cast<std::size_t>(n) : 0;
        }
        return true;
    }

    std::string ReadAll() const
    {
        std::string text;
        char buffer[4096];
        for (off_t offset = 0;;) {
            const ssize_t n = ::pread(fd_, buffer, sizeof buffer, offset);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return text;
            text.append(buffer, static_cast<std::size_t>(n));
            offset += n;
        }
    }

private:
    int fd_;
};

// The process environment with LC_ALL=C, kept alive for the spawn call.
class ChildEnvironment {
public:
    ChildEnvironment()
    {
        for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry)
            if (std::strncmp(*entry, "LC_ALL=", 7) != 0)
                pointers_.push_back(*entry);
        pointers_.push_back(locale_.data());
        pointers_.push_back(nullptr);
    }
    char* const* Get() { return pointers_.data(); }

private:
    std::string locale_ = "LC_ALL=C";
    std::vector<char*> pointers_;
};

int WaitFor(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input)
{
    ProcessResult result;
    MemoryFile in, out, err;
    if (in.Fd() < 0 || out.Fd() < 0 || err.Fd() < 0 || !in.Write(input)) {
        result.spawnError = errno != 0 ? errno : EIO;
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in.Fd(), STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out.Fd(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err.Fd(), STDERR_FILENO);
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    ChildEnvironment environment;
    pid_t pid = 0;
    result.spawnError = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environment.Get());
    posix_spawn_file_actions_destroy(&actions);
    if (result.spawnError != 0)
        return result;
    result.exitStatus = WaitFor(pid);
    result.output = out.ReadAll();
    result.errors = err.ReadAll();
    return result;
}

std::string ToolPath(const char* variable, const char* fallback)
{
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0' ? value : fallback;
}

}  // namespace pl::inst
