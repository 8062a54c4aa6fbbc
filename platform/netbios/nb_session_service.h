#pragma once
// NbSessionService: the session service of one adapter (RFC 1002 section
// 4.3, on TCP): NCBLISTEN, NCBCALL, NCBSEND, NCBRECV and NCBHANGUP, the
// session requests of incoming connections, and keep-alives. It owns the
// session listener and every session's socket, keeps the pending listens per
// local name number, and reaches the local names and the resolution of remote
// ones only through NbNameTable. Thread contract: loop code only (the
// provider's loop thread, or inside NbEventLoop::RunExclusive), with the
// provider's state held; nothing blocks.

#include "platform/netbios/nb30.h"
#include "platform/netbios/nb_lana_context.h"
#include "platform/netbios/nb_name_table.h"
#include "platform/netbios/nb_watched_socket.h"
#include "platform/netbios/nbss_codec.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <vector>

namespace pl::nb {

struct NbSession;
struct NbIncomingConnection;
struct NbOutgoingCall;

class NbSessionService {
public:
    using Serial = NbLanaContext::Serial;

    // Binds and watches the session listener, except on a query-only adapter
    // (which only calls); throws PlNetbiosSocketErr.
    NbSessionService(NbLanaContext& context, NbNameTable& names);
    NbSessionService(const NbSessionService&) = delete;
    NbSessionService& operator=(const NbSessionService&) = delete;
    ~NbSessionService();

    // NCB commands.
    void Listen(NCB* ncb, Serial serial);
    void Call(NCB* ncb, Serial serial);
    void Send(NCB* ncb, Serial serial);
    void Receive(NCB* ncb, Serial serial);
    void HangUp(NCB* ncb, Serial serial);

    // Whether a session of local name `num` is open (not closed by the peer
    // or an error).
    bool HasOpenSession(std::uint8_t num) const;
    // Completes the pending listens of local name `num` with `code`.
    void EndListens(std::uint8_t num, std::uint8_t code);
    // Ends every open session as broken: what is pending on it completes
    // with NRC_SABORT, and so does whatever is asked of it later.
    void AbortSessions();
    // Ends every session, call, incoming connection and listen without
    // completing their NCBs (the adapter completed them); a name deleted while
    // in use goes with its last session.
    void Shutdown();

private:
    static constexpr auto kKeepAliveInterval = std::chrono::seconds(60);

    struct PendingListen {
        Serial serial;
        NetbiosNameBytes caller;
        bool anyCaller;
    };

    // Establishing sessions (nb_session_service.cpp).
    void ConnectCall(Serial serial, std::uint32_t address);
    void OnCallEvent(Serial serial, std::uint32_t events);
    void FinishCall(Serial serial, std::uint8_t code);
    void OnAccept();
    void OnIncoming(int fd, std::uint32_t events);
    void DropIncoming(int fd);
    void AnswerSessionRequest(int fd, const NbssSessionRequest& request);
    std::uint8_t ChooseListener(std::uint8_t num, const NetbiosNameBytes& caller, PendingListen& chosen);
    std::uint8_t NewSession(UniqueFd fd, std::uint8_t nameNum, const NetbiosNameBytes& remote, NCB* ncb,
                            NbssFramer framer);
    std::uint8_t FreeLsn() const;
    std::size_t OpenSessionCount() const;

    // Data on open sessions and their end (nb_session_transfer.cpp).
    void OnSessionEvent(std::uint8_t lsn, std::uint32_t events);
    void ReadSession(NbSession& session);
    void FlushSession(NbSession& session);
    void DeliverReceives(NbSession& session);
    void CloseSession(NbSession& session, std::uint8_t code);
    void UpdateSessionInterest(NbSession& session);
    // A synchronous caller of a request still pending on the session waits
    // for its socket itself.
    void WaitForSocketIfPending(std::uint8_t lsn, Serial serial);
    void KeepAlive(std::uint8_t lsn);
    void WatchIdle(std::uint8_t lsn, std::chrono::milliseconds after);
    void RemoveSession(std::uint8_t lsn);

    NbLanaContext& context_;
    NbEventLoop& loop_;
    NbNameTable& names_;
    NbWatchedSocket listener_;

    std::map<std::uint8_t, std::deque<PendingListen>> listens_;  // by local name number
    std::map<std::uint8_t, std::unique_ptr<NbSession>> sessions_;
    std::map<int, std::unique_ptr<NbIncomingConnection>> incoming_;
    std::map<Serial, std::unique_ptr<NbOutgoingCall>> calls_;
    std::uint8_t lastLsn_ = 0;
    std::vector<std::uint8_t> readBuffer_;  // of ReadSession, kept between reads
};

}  // namespace pl::nb
