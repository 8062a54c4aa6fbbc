#pragma once
// NbMailslotService: the mailslots of a provider and its part in the browser
// protocol. A local mailslot (\\.\MAILSLOT\NAME) is a queue of the mailslot
// writes received for the local names and the workgroup; a remote one
// (\\TARGET\MAILSLOT\NAME) sends each write as one datagram: to TARGET<00>
// by broadcast for a workgroup or domain ("*" is the own workgroup), to the
// address of TARGET<00> for a computer. It keeps the browse list from the
// announcements heard on \MAILSLOT\BROWSE and \MAILSLOT\LANMAN, and a full
// provider announces its computer and asks the workgroup to announce.
//
// The public functions may be called from any thread but the provider's loop
// thread; they wait for the loop. Handles are valid until CloseHandle.

#include "platform/netbios/nb_browse_list.h"
#include "platform/netbios/nb_counters.h"
#include "platform/netbios/nb_event_loop.h"
#include "platform/netbios/nb_lana.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pl::nb {

class NbMailslotService {
public:
    static constexpr int kInvalidHandle = -1;
    static constexpr std::size_t kMaxQueuedMessages = 256;
    static constexpr std::uint32_t kServerType = kServerTypeWorkstation | kServerTypeServer | kServerTypeNt;

    NbMailslotService(NbEventLoop& loop, std::vector<std::unique_ptr<NbLana>>& lanas, const std::string& computerName,
                      const std::string& workgroup, NbCounters& counters);
    NbMailslotService(const NbMailslotService&) = delete;
    NbMailslotService& operator=(const NbMailslotService&) = delete;

    // Loop thread: Start taps the adapters and, unless they are query-only,
    // starts announcing; Stop announces the shutdown and ends the timers.
    void Start();
    void Stop();

    // Creates the local mailslot `path` ("\\.\MAILSLOT\NAME"). Writes received
    // before it exists are not kept; longer writes than `maxMessageSize` are
    // dropped and counted. Invalid when the path is malformed or already open.
    // The first one registers COMPUTER<00> and WORKGROUP<00> on every adapter.
    int CreateMailslot(const std::string& path, std::size_t maxMessageSize);
    // The number of queued messages and the size of the next (0 when none).
    bool GetMailslotInfo(int handle, std::size_t& count, std::size_t& nextSize);
    // Takes the next message; empty when none is queued or the handle is bad.
    std::optional<std::vector<std::uint8_t>> ReadMailslot(int handle);
    // Opens the remote mailslot `path` ("\\TARGET\MAILSLOT\NAME"); invalid when
    // the path is malformed or the target resolves on no adapter.
    int OpenMailslot(const std::string& path);
    // Sends one write; false for a bad handle or data too long for one datagram.
    bool WriteMailslot(int handle, std::span<const std::uint8_t> data);
    void CloseHandle(int handle);
    // The browse list with the local computer and workgroup in it.
    std::vector<NbBrowseEntry> BrowseList();

private:
    struct LocalSlot {
        std::string mailslot;  // "\MAILSLOT\NAME"
        std::size_t maxMessageSize;
        std::deque<std::vector<std::uint8_t>> queue;
    };
    struct Target {
        std::string mailslot;
        NetbiosNameBytes destination{};
        bool group = false;
        std::size_t lana = 0;
        std::optional<std::uint32_t> address;  // empty: broadcast on every adapter
        bool local = false;                    // a computer name of this provider
    };

    void RunOnLoop(const std::function<void()>& task);
    void AddServiceNames();
    bool OnDatagram(NbLana& lana, const NbDatagram& datagram);
    void Queue(const std::string& mailslot, const std::vector<std::uint8_t>& data);
    bool ForUs(const NbLana& lana, const NbDatagram& datagram) const;
    void OnBrowseFrame(const NbDatagram& datagram, const std::vector<std::uint8_t>& data);
    void ResolveTarget(std::size_t lana, const std::string& name, int round,
                       const std::function<void(std::optional<Target>)>& done);
    void SendWrite(const Target& target, std::vector<std::uint8_t> smb);
    void Announce(std::uint32_t serverType);
    void ScheduleAnnouncement(std::chrono::milliseconds delay);
    void SendToWorkgroup(std::uint8_t suffix, const std::string& mailslot, const std::vector<std::uint8_t>& frame);

    NbEventLoop& loop_;
    std::vector<std::unique_ptr<NbLana>>& lanas_;
    const std::string computerName_;
    const std::string workgroup_;
    NbCounters& counters_;
    bool announcing_ = false;
    int announcements_ = 0;
    NbEventLoop::TimerId announceTimer_ = 0;
    int nextHandle_ = 1;
    std::map<int, LocalSlot> locals_;
    std::map<int, Target> targets_;
    NbBrowseList browseList_;
};

}  // namespace pl::nb
