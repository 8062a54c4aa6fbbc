#pragma once
// Helpers for the tests of plinstlib's exports: a temporary system root that
// the library is pointed at for the test's lifetime, a network namespace of
// the test's own that the calling thread enters, and running a shell command.

#include "tests/support/pl_temp_folder.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

// Runs a shell command; its exit status and standard output.
struct ShellResult {
    int status = -1;
    std::string output;
};

inline ShellResult Shell(const std::string& command)
{
    ShellResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return result;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        result.output.append(buffer, n);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// A system root with an etc/ folder; PARLINO_SYSTEM_ROOT names it until the
// object ends, so nothing reaches the machine's own files.
class TestSystemRoot {
public:
    TestSystemRoot()
    {
        folder_.WriteFile("etc/.keep", "");
        ::setenv("PARLINO_SYSTEM_ROOT", folder_.Path().c_str(), 1);
    }
    ~TestSystemRoot() { ::unsetenv("PARLINO_SYSTEM_ROOT"); }
    const PlTempFolder& Folder() const { return folder_; }

private:
    PlTempFolder folder_;
};

// A network namespace made with `ip netns add` under a name unique to the
// run; Enter moves the calling thread into it (the tools the library starts
// follow), the destructor moves it back and deletes the namespace.
class TestNetns {
public:
    TestNetns() : name_("plinst" + std::to_string(::getpid()) + "n" + std::to_string(counter_++))
    {
        if (::geteuid() != 0)
            return;
        created_ = Shell("ip netns add " + name_ + " 2>&1").status == 0;
    }
    TestNetns(const TestNetns&) = delete;
    TestNetns& operator=(const TestNetns&) = delete;
    ~TestNetns()
    {
        if (home_ >= 0) {
            ::setns(home_, CLONE_NEWNET);
            ::close(home_);
        }
        if (created_)
            Shell("ip netns del " + name_);
    }

    bool Created() const { return created_; }
    const std::string& Name() const { return name_; }

    bool Enter()
    {
        home_ = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
        const int target = ::open(("/run/netns/" + name_).c_str(), O_RDONLY | O_CLOEXEC);
        const bool entered = home_ >= 0 && target >= 0 && ::setns(target, CLONE_NEWNET) == 0;
        if (target >= 0)
            ::close(target);
        return entered;
    }

    // Runs a command inside the namespace.
    ShellResult Run(const std::string& command) const { return Shell("ip netns exec " + name_ + " " + command); }

private:
    static inline int counter_ = 0;
    std::string name_;
    bool created_ = false;
    int home_ = -1;
};
