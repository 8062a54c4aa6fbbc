#pragma once
// Helpers for the tests of plinstlib's exports: a temporary system root that
// the library is pointed at for the test's lifetime, a network namespace of
// the test's own that the calling thread enters (commands run with RunShell).

#include "tests/cli/run_cli.h"
#include "tests/support/pl_temp_folder.h"

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

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
        created_ = RunShell("ip netns add " + name_ + " 2>&1").status == 0;
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
            RunShell("ip netns del " + name_);
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
    CliResult Run(const std::string& command) const { return RunShell("ip netns exec " + name_ + " " + command); }

private:
    static inline int counter_ = 0;
    std::string name_;
    bool created_ = false;
    int home_ = -1;
};
