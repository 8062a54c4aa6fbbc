#pragma once
// FakeMailslots: the mailslot functions in memory for unit tests. Local
// mailslots hold what Deliver puts in them while they are open; writes to
// reachable targets are recorded; a test can make every open mailslot fail
// as if the system had lost it.

#include "transport/mailslot/pl_mailslot_api.h"

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

class FakeMailslots : public PlMailslotApi {
public:
    struct Written {
        std::string path;
        std::vector<std::uint8_t> data;
    };

    Handle CreateMailslot(const std::string& path, std::size_t maxMessageSize) override;
    bool GetMailslotInfo(Handle handle, std::size_t& count, std::size_t& nextSize) override;
    int ReadFile(Handle handle, std::span<std::uint8_t> buffer) override;
    Handle CreateFile(const std::string& path) override;
    bool WriteFile(Handle handle, std::span<const std::uint8_t> data) override;
    void CloseHandle(Handle handle) override;

    // Queues a message in the open local mailslot `path`, or in the backlog a
    // mailslot created later would find (to test that it is discarded).
    void Deliver(const std::string& path, const std::vector<std::uint8_t>& data);
    void AddReachable(const std::string& name);
    void LoseAll();
    std::vector<Written> Writes();
    int CreateCount();
    std::size_t OpenHandleCount();

private:
    struct Local {
        std::string path;
        std::size_t maxSize;
        std::vector<std::vector<std::uint8_t>> queue;
        bool lost = false;
    };
    std::mutex mutex_;
    std::map<Handle, Local> locals_;
    std::map<Handle, std::string> files_;
    std::map<std::string, std::vector<std::vector<std::uint8_t>>> backlog_;
    std::set<std::string> reachable_;
    std::vector<Written> writes_;
    Handle next_ = 1;
    int creates_ = 0;
};
