#include "fake_netbios_lan.h"

#include "platform/sync/pl_event.h"

#include <algorithm>
#include <cstring>

namespace {

std::string NameOf(const std::uint8_t (&field)[NCBNAMSZ])
{
    return std::string(reinterpret_cast<const char*>(field), NCBNAMSZ);
}

}  // namespace

FakeNetbiosLan::HostId FakeNetbiosLan::AddHost(std::set<std::uint8_t> lanas)
{
    std::lock_guard lock(mutex_);
    const HostId id = static_cast<HostId>(hosts_.size());
    hosts_[id] = std::move(lanas);
    return id;
}

void FakeNetbiosLan::SetLanas(HostId host, std::set<std::uint8_t> lanas)
{
    std::lock_guard lock(mutex_);
    hosts_[host] = std::move(lanas);
    // A removed adapter takes its names, pending listens and sessions with it.
    std::erase_if(names_, [&](const auto& entry) { return entry.second == host && !HasLana(host, entry.first.lana); });
    std::erase_if(listens_, [&](const PendingListen& listen) {
        if (listen.host != host || HasLana(host, listen.ncb->ncb_lana_num))
            return false;
        Complete(listen.ncb, NRC_BRIDGE);
        return true;
    });
    for (auto& session : sessions_)
        if (session.host == host && !HasLana(host, session.lana) && session.open) {
            session.open = false;
            sessions_[static_cast<std::size_t>(session.peer)].peerGone = true;
        }
    changed_.notify_all();
}

std::function<std::uint8_t(NCB*)> FakeNetbiosLan::Entry(HostId host)
{
    return [this, host](NCB* ncb) { return Submit(host, ncb); };
}

std::vector<std::string> FakeNetbiosLan::NamesOf(HostId host, std::uint8_t lana)
{
    std::lock_guard lock(mutex_);
    std::vector<std::string> names;
    for (const auto& [key, owner] : names_)
        if (owner == host && key.lana == lana)
            names.push_back(key.name.substr(0, key.name.find_last_not_of(' ', 14) + 1) + "<" +
                            std::to_string(static_cast<unsigned char>(key.name[15])) + ">");
    return names;
}

int FakeNetbiosLan::OpenSessions()
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count_if(sessions_.begin(), sessions_.end(), [](const Session& s) { return s.open; }));
}

int FakeNetbiosLan::Submissions(std::uint8_t command)
{
    std::lock_guard lock(mutex_);
    return submissions_[command];
}

std::vector<std::string> FakeNetbiosLan::SentBy(HostId host)
{
    std::lock_guard lock(mutex_);
    return sent_[host];
}

bool FakeNetbiosLan::HasLana(HostId host, std::uint8_t lana) const
{
    const auto it = hosts_.find(host);
    return it != hosts_.end() && it->second.count(lana) != 0;
}

void FakeNetbiosLan::Complete(NCB* ncb, std::uint8_t code)
{
    ncb->ncb_retcode = code;
    ncb->ncb_cmd_cplt = code;
    if (ncb->ncb_event != nullptr)
        ncb->ncb_event->Set();
}

std::uint8_t FakeNetbiosLan::Finish(NCB* ncb, std::uint8_t code)
{
    // Synchronous and asynchronous NCBs alike report through the NCB; an
    // asynchronous one also signals its event.
    Complete(ncb, code);
    return (ncb->ncb_command & ASYNCH) != 0 ? NRC_GOODRET : code;
}

std::uint8_t FakeNetbiosLan::Submit(HostId host, NCB* ncb)
{
    std::unique_lock lock(mutex_);
    const std::uint8_t command = ncb->ncb_command & static_cast<std::uint8_t>(~ASYNCH);
    ++submissions_[command];
    if (command == NCBENUM) {
        auto* lanas = reinterpret_cast<LANA_ENUM*>(ncb->ncb_buffer);
        *lanas = LANA_ENUM{};
        for (std::uint8_t lana : hosts_[host])
            lanas->lana[lanas->length++] = lana;
        return Finish(ncb, NRC_GOODRET);
    }
    if (command == NCBCANCEL)
        return Cancel(host, ncb);
    if (!HasLana(host, ncb->ncb_lana_num))
        return Finish(ncb, NRC_BRIDGE);  // no such adapter
    switch (command) {
    case NCBRESET: return Finish(ncb, NRC_GOODRET);
    case NCBADDNAME: {
        const NameKey key{ncb->ncb_lana_num, NameOf(ncb->ncb_name)};
        if (names_.count(key) != 0)
            return Finish(ncb, NRC_DUPNAME);
        names_[key] = host;
        return Finish(ncb, NRC_GOODRET);
    }
    case NCBDELNAME: return DeleteName(host, ncb);
    case NCBLISTEN: return Listen(host, ncb);
    case NCBCALL: return Call(lock, host, ncb);
    case NCBSEND: return SendTo(host, ncb);
    case NCBRECV: return Receive(lock, host, ncb);
    case NCBHANGUP: return HangUp(host, ncb);
    case NCBCANCEL: return Cancel(host, ncb);
    case NCBASTAT: return AdapterStatus(host, ncb);
    default: return Finish(ncb, NRC_ILLCMD);
    }
}

std::uint8_t FakeNetbiosLan::DeleteName(HostId host, NCB* ncb)
{
    const NameKey key{ncb->ncb_lana_num, NameOf(ncb->ncb_name)};
    const auto it = names_.find(key);
    if (it == names_.end() || it->second != host)
        return Finish(ncb, 0x15);  // NRC_NOWILD: name not found
    names_.erase(it);
    // A pending listen on a deleted name completes with "name deleted".
    std::erase_if(listens_, [&](const PendingListen& listen) {
        if (listen.host != host || listen.ncb->ncb_lana_num != key.lana || NameOf(listen.ncb->ncb_name) != key.name)
            return false;
        Complete(listen.ncb, NRC_NAMERR);
        return true;
    });
    return Finish(ncb, NRC_GOODRET);
}

std::uint8_t FakeNetbiosLan::Listen(HostId host, NCB* ncb)
{
    const NameKey key{ncb->ncb_lana_num, NameOf(ncb->ncb_name)};
    const auto it = names_.find(key);
    if (it == names_.end() || it->second != host)
        return Finish(ncb, 0x15);
    ncb->ncb_retcode = NRC_PENDING;
    ncb->ncb_cmd_cplt = NRC_PENDING;
    listens_.push_back({host, ncb});
    changed_.notify_all();
    return NRC_GOODRET;
}

int FakeNetbiosLan::OpenSession(HostId host, std::uint8_t lana)
{
    sessions_.push_back(Session{host, lana, nextLsn_++, -1, true, false, {}});
    if (nextLsn_ == 0)
        nextLsn_ = 1;
    return static_cast<int>(sessions_.size() - 1);
}

std::uint8_t FakeNetbiosLan::Call(std::unique_lock<std::mutex>& lock, HostId host, NCB* ncb)
{
    const std::string called = NameOf(ncb->ncb_callname);
    const std::uint8_t lana = ncb->ncb_lana_num;
    const auto listening = [&] {
        return std::find_if(listens_.begin(), listens_.end(), [&](const PendingListen& listen) {
            return listen.ncb->ncb_lana_num == lana && NameOf(listen.ncb->ncb_name) == called &&
                   HasLana(listen.host, lana);
        });
    };
    // Like a real provider, a call takes a while before it reports that nobody
    // listens: a name that is busy with another session has time to listen again.
    if (listening() == listens_.end() && names_.count(NameKey{lana, called}) != 0)
        changed_.wait_for(lock, std::chrono::milliseconds(20), [&] { return listening() != listens_.end(); });
    const auto it = listening();
    if (it == listens_.end())
        return Finish(ncb, NRC_NOCALL);
    const PendingListen listen = *it;
    listens_.erase(it);
    const int caller = OpenSession(host, lana);
    const int callee = OpenSession(listen.host, lana);
    sessions_[static_cast<std::size_t>(caller)].peer = callee;
    sessions_[static_cast<std::size_t>(callee)].peer = caller;
    ncb->ncb_lsn = sessions_[static_cast<std::size_t>(caller)].lsn;
    listen.ncb->ncb_lsn = sessions_[static_cast<std::size_t>(callee)].lsn;
    std::memcpy(listen.ncb->ncb_callname, ncb->ncb_name, NCBNAMSZ);
    Complete(listen.ncb, NRC_GOODRET);
    return Finish(ncb, NRC_GOODRET);
}

FakeNetbiosLan::Session* FakeNetbiosLan::FindSession(HostId host, std::uint8_t lana, std::uint8_t lsn)
{
    for (auto& session : sessions_)
        if (session.host == host && session.lana == lana && session.lsn == lsn && session.open)
            return &session;
    return nullptr;
}

std::uint8_t FakeNetbiosLan::SendTo(HostId host, NCB* ncb)
{
    Session* session = FindSession(host, ncb->ncb_lana_num, ncb->ncb_lsn);
    if (session == nullptr)
        return Finish(ncb, NRC_SNUMOUT);
    if (session->peerGone)
        return Finish(ncb, NRC_SCLOSED);
    Session& peer = sessions_[static_cast<std::size_t>(session->peer)];
    peer.inbox.emplace_back(reinterpret_cast<const char*>(ncb->ncb_buffer), ncb->ncb_length);
    sent_[host].push_back(peer.inbox.back());
    changed_.notify_all();
    return Finish(ncb, NRC_GOODRET);
}

std::uint8_t FakeNetbiosLan::Receive(std::unique_lock<std::mutex>& lock, HostId host, NCB* ncb)
{
    const std::uint8_t lana = ncb->ncb_lana_num;
    const std::uint8_t lsn = ncb->ncb_lsn;
    Session* session = FindSession(host, lana, lsn);
    if (session == nullptr)
        return Finish(ncb, NRC_SNUMOUT);
    const int index = static_cast<int>(session - sessions_.data());
    changed_.wait(lock, [&] {
        const Session& s = sessions_[static_cast<std::size_t>(index)];
        return !s.inbox.empty() || !s.open || s.peerGone;
    });
    Session& s = sessions_[static_cast<std::size_t>(index)];
    if (s.inbox.empty())
        return Finish(ncb, NRC_SCLOSED);
    std::string& message = s.inbox.front();
    const std::size_t n = std::min<std::size_t>(message.size(), ncb->ncb_length);
    std::memcpy(ncb->ncb_buffer, message.data(), n);
    ncb->ncb_length = static_cast<std::uint16_t>(n);
    if (n < message.size()) {
        message.erase(0, n);
        return Finish(ncb, NRC_INCOMP);
    }
    s.inbox.pop_front();
    return Finish(ncb, NRC_GOODRET);
}

std::uint8_t FakeNetbiosLan::HangUp(HostId host, NCB* ncb)
{
    Session* session = FindSession(host, ncb->ncb_lana_num, ncb->ncb_lsn);
    if (session == nullptr)
        return Finish(ncb, NRC_SNUMOUT);
    session->open = false;
    sessions_[static_cast<std::size_t>(session->peer)].peerGone = true;
    changed_.notify_all();
    return Finish(ncb, NRC_GOODRET);
}

std::uint8_t FakeNetbiosLan::Cancel(HostId host, NCB* ncb)
{
    NCB* target = reinterpret_cast<NCB*>(ncb->ncb_buffer);
    const auto it = std::find_if(listens_.begin(), listens_.end(), [&](const PendingListen& listen) {
        return listen.host == host && listen.ncb == target;
    });
    if (it == listens_.end())
        return Finish(ncb, NRC_CANOCCR);
    listens_.erase(it);
    Complete(target, NRC_CMDCAN);
    return Finish(ncb, NRC_GOODRET);
}

std::uint8_t FakeNetbiosLan::AdapterStatus(HostId, NCB* ncb)
{
    const std::string called = NameOf(ncb->ncb_callname);
    const auto it = names_.find(NameKey{ncb->ncb_lana_num, called});
    if (it == names_.end())
        return Finish(ncb, NRC_CMDTMO);
    std::vector<std::string> held;
    for (const auto& [key, owner] : names_)
        if (owner == it->second && key.lana == ncb->ncb_lana_num)
            held.push_back(key.name);
    ADAPTER_STATUS status{};
    status.name_count = static_cast<std::uint16_t>(held.size());
    std::vector<std::uint8_t> out(sizeof(status));
    std::memcpy(out.data(), &status, sizeof(status));
    for (const std::string& name : held) {
        NAME_BUFFER entry{};
        std::memcpy(entry.name, name.data(), NCBNAMSZ);
        entry.name_flags = REGISTERED;
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(&entry);
        out.insert(out.end(), bytes, bytes + sizeof(entry));
    }
    const std::size_t n = std::min<std::size_t>(out.size(), ncb->ncb_length);
    std::memcpy(ncb->ncb_buffer, out.data(), n);
    ncb->ncb_length = static_cast<std::uint16_t>(n);
    return Finish(ncb, n < out.size() ? NRC_INCOMP : NRC_GOODRET);
}
