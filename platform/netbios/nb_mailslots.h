#pragma once
// NbMailslotService: the mailslots of a provider and its part in the browser
// protocol. A local mailslot (\\.\MAILSLOT\NAME) is a queue of the mailslot
// writes received for the local names and the workgroup; a remote one
// (\\TARGET\MAILSLOT\NAME) sends each write as one datagram: to TARGET<00>
// by broadcast for a workgroup or domain ("*" is the own workgroup), to the
// address of TARGET<00> for a computer. It keeps the browse list from the
// announcements heard on \MAILSLOT\BROWSE and \MAILSLOT\LANMAN, and a full
// provider announces its computer and asks the workgroup to announce.
// Adapters come and go while it runs: a new one is tapped, gets the service
// names and announces the computer at once; a name resolved through a removed
// one is resolved through the next; a write goes through the adapter its
// target was found on, or another one when that one went.
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

    // `lanas` are the provider's adapters; the provider calls AdapterAdded
    // and AdapterRemoved when they change.
    NbMailslotService(NbEventLoop& loop, const NbLanaMap& lanas, const std::string& computerName,
                      const std::string& workgroup, NbCounters& counters, bool queryOnly);
    NbMailslotService(const NbMailslotService&) = delete;
    NbMailslotService& operator=(const NbMailslotService&) = delete;

    // Loop thread: Start taps the adapters and, unless the provider is
    // query-only, starts announcing; Stop announces the shutdown, ends the
    // timers and fails the resolutions in progress.
    void Start();
    void Stop();
    // Loop code: `lana` was just opened; the adapter `number` was just removed.
    void AdapterAdded(NbLana& lana);
    void AdapterRemoved(std::uint8_t number);

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
    // Sends one write; false for a bad handle, data too long for one datagram,
    // or no adapter to send it through.
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
        std::uint8_t lana = 0;                 // where it was found
        std::optional<std::uint32_t> address;  // empty: broadcast on every adapter
        bool local = false;                    // a computer name of this provider
    };
    using TargetHandler = std::function<void(std::optional<Target>)>;
    // A computer name being resolved on one adapter after another.
    struct Resolution {
        std::string name;
        int lana = 0;   // tried now, or the next one above
        int round = 0;  // 0: NAME<00>, 1: NAME<03>
        std::uint64_t step = 0;
        TargetHandler done;
    };

    void RunOnLoop(const std::function<void()>& task);
    NbLana* Adapter(std::uint8_t number) const;
    NbLana* FirstServingAdapter() const;
    void Tap(NbLana& lana);
    void AddServiceNames(NbLana& lana);
    bool OnDatagram(NbLana& lana, const NbDatagram& datagram);
    void Queue(const std::string& mailslot, const std::vector<std::uint8_t>& data);
    bool ForUs(const NbLana& lana, const NbDatagram& datagram) const;
    void OnBrowseFrame(const NbDatagram& datagram, const std::vector<std::uint8_t>& data);
    void ResolveTarget(const std::string& name, TargetHandler done);
    void ResolveNext(std::uint64_t id);
    void Resolved(std::uint64_t id, std::uint64_t step, std::optional<NbResolvedName> owner);
    void FinishResolution(std::uint64_t id, std::optional<Target> target);
    bool SendWrite(const Target& target, std::vector<std::uint8_t> smb);
    std::vector<std::uint8_t> AnnouncementFrame(std::uint32_t serverType) const;
    void Announce(std::uint32_t serverType);
    void ScheduleAnnouncement(std::chrono::milliseconds delay);
    // To every adapter that serves, or to `only`.
    void SendToWorkgroup(std::uint8_t suffix, const std::string& mailslot, const std::vector<std::uint8_t>& frame,
                         NbLana* only = nullptr);

    NbEventLoop& loop_;
    const NbLanaMap& lanas_;
    const std::string computerName_;
    const std::string workgroup_;
    NbCounters& counters_;
    const bool queryOnly_;
    bool started_ = false;
    bool announcing_ = false;
    bool serviceNames_ = false;  // wanted once a local mailslot exists
    int announcements_ = 0;
    NbEventLoop::TimerId announceTimer_ = 0;
    int nextHandle_ = 1;
    std::map<int, LocalSlot> locals_;
    std::map<int, Target> targets_;
    std::map<std::uint64_t, Resolution> resolutions_;
    std::uint64_t nextResolution_ = 1;
    NbBrowseList browseList_;
};

}  // namespace pl::nb
