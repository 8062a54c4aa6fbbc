#pragma once
// An in-memory NetBIOS LAN for tests of the NetBIOS layer and the clients:
// hosts with adapters (LANAs), names, listen/call pairing, sessions with
// message queues, hang-up, cancel and adapter status, with the return codes a
// provider gives. Adapter number N of every host is on the same segment N.
// Thread-safe; asynchronous NCBs complete by setting their event.

#include "platform/netbios/nb30.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

class FakeNetbiosLan {
public:
    using HostId = int;

    HostId AddHost(std::set<std::uint8_t> lanas);
    void SetLanas(HostId host, std::set<std::uint8_t> lanas);
    // The NCB entry of one host.
    std::function<std::uint8_t(NCB*)> Entry(HostId host);

    // Which names a host holds on an adapter ("NAME<03>" forms, sorted).
    std::vector<std::string> NamesOf(HostId host, std::uint8_t lana);
    int OpenSessions();
    // NCB commands seen, for checks of what the layer submitted.
    int Submissions(std::uint8_t command);
    // Every message a host sent on its sessions, in order.
    std::vector<std::string> SentBy(HostId host);

    std::uint8_t Submit(HostId host, NCB* ncb);

private:
    struct NameKey {
        std::uint8_t lana;
        std::string name;  // 16 bytes
        auto operator<=>(const NameKey&) const = default;
    };
    struct Session {
        HostId host;
        std::uint8_t lana;
        std::uint8_t lsn;
        int peer = -1;          // index of the other end
        bool open = true;       // this end has not hung up
        bool peerGone = false;  // the other end hung up; what it sent can still be read
        std::deque<std::string> inbox;
    };

    void Complete(NCB* ncb, std::uint8_t code);
    std::uint8_t Finish(NCB* ncb, std::uint8_t code);
    std::uint8_t Call(std::unique_lock<std::mutex>& lock, HostId host, NCB* ncb);
    std::uint8_t Listen(HostId host, NCB* ncb);
    std::uint8_t Receive(std::unique_lock<std::mutex>& lock, HostId host, NCB* ncb);
    std::uint8_t SendTo(HostId host, NCB* ncb);
    std::uint8_t HangUp(HostId host, NCB* ncb);
    std::uint8_t Cancel(HostId host, NCB* ncb);
    std::uint8_t AdapterStatus(HostId host, NCB* ncb);
    std::uint8_t DeleteName(HostId host, NCB* ncb);
    Session* FindSession(HostId host, std::uint8_t lana, std::uint8_t lsn);
    int OpenSession(HostId host, std::uint8_t lana);
    bool HasLana(HostId host, std::uint8_t lana) const;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<HostId, std::set<std::uint8_t>> hosts_;
    std::map<NameKey, HostId> names_;
    struct PendingListen {
        HostId host;
        NCB* ncb;
    };
    std::vector<PendingListen> listens_;
    std::vector<Session> sessions_;
    std::map<std::uint8_t, int> submissions_;
    std::map<HostId, std::vector<std::string>> sent_;
    std::uint8_t nextLsn_ = 1;
};
