#include "platform/netbios/nb_mailslots.h"

#include "platform/netbios/nb_mailslot_codec.h"
#include "platform/sync/pl_event.h"
#include "platform/text/pl_case.h"
#include "platform/text/pl_codepage.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <random>

namespace pl::nb {

namespace {

// Minutes between host announcements: 1, 1, 2, 4, 8, then every 12.
constexpr std::array<int, 6> kAnnounceMinutes{1, 1, 2, 4, 8, 12};
constexpr int kMaxAnswerDelaySeconds = 30;
constexpr std::uint8_t kOsMajor = 5;
constexpr std::uint8_t kOsMinor = 1;
constexpr std::uint8_t kComputerSuffix = 0x00;
constexpr std::uint8_t kMessengerSuffix = 0x03;
constexpr std::uint8_t kMasterBrowserSuffix = 0x1D;

// Splits "\\SERVER\MAILSLOT\NAME" into SERVER and "\MAILSLOT\NAME" (upper case).
bool SplitPath(const std::string& path, std::string& server, std::string& mailslot)
{
    if (path.size() < 3 || path[0] != '\\' || path[1] != '\\')
        return false;
    const std::size_t slash = path.find('\\', 2);
    if (slash == std::string::npos || slash == 2)
        return false;
    server = path.substr(2, slash - 2);
    mailslot = UpperCase(path.substr(slash));
    constexpr std::string_view kPrefix = "\\MAILSLOT\\";
    return mailslot.size() > kPrefix.size() && mailslot.starts_with(kPrefix);
}

bool SameBase(const NetbiosNameBytes& a, const NetbiosNameBytes& b)
{
    return std::memcmp(a.data(), b.data(), kNetbiosNameLength - 1) == 0;
}

// \MAILSLOT\LANMAN also carries the older LAN Manager announcement, whose
// fields lie elsewhere; only browser frames carry the signature 0xAA55.
bool HasBrowserSignature(const std::vector<std::uint8_t>& frame)
{
    return frame.size() >= 32 && frame[30] == 0x55 && frame[31] == 0xAA;
}

}  // namespace

NbMailslotService::NbMailslotService(NbEventLoop& loop, std::vector<std::unique_ptr<NbLana>>& lanas,
                                     const std::string& computerName, const std::string& workgroup,
                                     NbCounters& counters)
    : loop_(loop),
      lanas_(lanas),
      computerName_(UpperCase(computerName)),
      workgroup_(UpperCase(workgroup)),
      counters_(counters)
{
}

void NbMailslotService::Start()
{
    for (auto& lana : lanas_) {
        if (lana->QueryOnly())
            continue;
        lana->SetDatagramTap([this](NbLana& from, const NbDatagram& datagram) { return OnDatagram(from, datagram); });
        announcing_ = true;
    }
    if (!announcing_)
        return;
    SendToWorkgroup(kComputerSuffix, kBrowseMailslot, EncodeAnnouncementRequest(AnsiToOem(computerName_)));
    Announce(kServerType);
}

void NbMailslotService::Stop()
{
    loop_.CancelTimer(announceTimer_);
    announceTimer_ = 0;
    if (announcing_)
        Announce(0);  // a host that stops announces server type 0
    announcing_ = false;
    for (auto& lana : lanas_)
        lana->SetDatagramTap(nullptr);
}

// A computer that receives mailslot writes owns COMPUTER<00> and the
// workgroup's <00> group, as a Windows workstation does: writes to the
// computer are addressed to the first and resolve through it, writes to the
// workgroup reach the second. They stay until the provider ends.
void NbMailslotService::AddServiceNames()
{
    for (auto& lana : lanas_) {
        lana->AddServiceName(MakeNetbiosName(computerName_, kComputerSuffix), false);
        lana->AddServiceName(MakeNetbiosName(workgroup_, kComputerSuffix), true);
    }
}

void NbMailslotService::RunOnLoop(const std::function<void()>& task)
{
    PlEvent done;
    loop_.Post([&task, &done] {
        task();
        done.Set();
    });
    done.Wait(PlEvent::kInfinite);
}

int NbMailslotService::CreateMailslot(const std::string& path, std::size_t maxMessageSize)
{
    std::string server;
    std::string mailslot;
    if (!SplitPath(path, server, mailslot) || server != ".")
        return kInvalidHandle;
    int handle = kInvalidHandle;
    RunOnLoop([&] {
        const bool open = std::any_of(locals_.begin(), locals_.end(),
                                      [&](const auto& item) { return item.second.mailslot == mailslot; });
        if (open)
            return;
        handle = nextHandle_++;
        locals_.emplace(handle, LocalSlot{mailslot, maxMessageSize, {}});
        AddServiceNames();
    });
    return handle;
}

bool NbMailslotService::GetMailslotInfo(int handle, std::size_t& count, std::size_t& nextSize)
{
    bool found = false;
    RunOnLoop([&] {
        const auto it = locals_.find(handle);
        if (it == locals_.end())
            return;
        found = true;
        count = it->second.queue.size();
        nextSize = count == 0 ? 0 : it->second.queue.front().size();
    });
    return found;
}

std::optional<std::vector<std::uint8_t>> NbMailslotService::ReadMailslot(int handle)
{
    std::optional<std::vector<std::uint8_t>> message;
    RunOnLoop([&] {
        const auto it = locals_.find(handle);
        if (it == locals_.end() || it->second.queue.empty())
            return;
        message = std::move(it->second.queue.front());
        it->second.queue.pop_front();
    });
    return message;
}

int NbMailslotService::OpenMailslot(const std::string& path)
{
    std::string server;
    std::string mailslot;
    if (!SplitPath(path, server, mailslot) || server == ".")
        return kInvalidHandle;
    const std::string name = UpperCase(server);
    std::optional<Target> result;
    PlEvent done;
    loop_.Post([&] {
        const bool knownGroup = std::ranges::any_of(
            browseList_.Entries(), [&](const NbBrowseEntry& entry) { return entry.isWorkgroup && entry.name == name; });
        if (name == "*" || name == workgroup_ || knownGroup) {
            Target target;
            target.destination = MakeNetbiosName(name == "*" ? workgroup_ : name, kComputerSuffix);
            target.group = true;
            result = target;
            done.Set();
            return;
        }
        ResolveTarget(0, name, 0, [&](std::optional<Target> target) {
            result = std::move(target);
            done.Set();
        });
    });
    done.Wait(PlEvent::kInfinite);
    if (!result)
        return kInvalidHandle;
    result->mailslot = mailslot;
    int handle = kInvalidHandle;
    RunOnLoop([&] {
        handle = nextHandle_++;
        targets_.emplace(handle, std::move(*result));
    });
    return handle;
}

// Tries NAME<00> (every computer has it), then the messenger name NAME<03>
// (a computer that runs only a messenger), on each adapter in turn.
void NbMailslotService::ResolveTarget(std::size_t lana, const std::string& name, int round,
                                      const std::function<void(std::optional<Target>)>& done)
{
    if (lana >= lanas_.size())
        return done(std::nullopt);
    const std::uint8_t suffix = round == 0 ? kComputerSuffix : kMessengerSuffix;
    lanas_[lana]->ResolveName(MakeNetbiosName(name, suffix), [this, lana, name, round, done](auto owner) {
        if (!owner) {
            if (round == 0)
                return ResolveTarget(lana, name, 1, done);
            return ResolveTarget(lana + 1, name, 0, done);
        }
        Target target;
        target.destination = MakeNetbiosName(name, kComputerSuffix);
        target.group = owner->group;
        target.lana = lana;
        if (!target.group)
            target.address = owner->address;
        target.local =
            !target.group && owner->address == lanas_[lana]->Interface().address && !lanas_[lana]->QueryOnly();
        done(target);
    });
}

bool NbMailslotService::WriteMailslot(int handle, std::span<const std::uint8_t> data)
{
    bool sent = false;
    RunOnLoop([&] {
        const auto it = targets_.find(handle);
        if (it == targets_.end())
            return;
        auto smb = EncodeMailslotWrite(
            NbMailslotWrite{it->second.mailslot, 0, kMailslotSecondClass, {data.begin(), data.end()}});
        if (smb.empty())
            return;
        SendWrite(it->second, std::move(smb));
        sent = true;
    });
    return sent;
}

void NbMailslotService::SendWrite(const Target& target, std::vector<std::uint8_t> smb)
{
    const NetbiosNameBytes source = MakeNetbiosName(computerName_, kComputerSuffix);
    if (target.local) {
        NbLana& lana = *lanas_[target.lana];
        NbDatagram datagram;
        datagram.source = NbName{source, ""};
        datagram.destination = NbName{target.destination, ""};
        datagram.data = std::move(smb);
        OnDatagram(lana, datagram);
        return;
    }
    if (!target.group) {
        lanas_[target.lana]->SendDatagramFrom(source, target.destination, false, target.address, std::move(smb));
        return;
    }
    bool heardLocally = false;
    for (auto& lana : lanas_) {
        const NbDatagram sent = lana->SendDatagramFrom(source, target.destination, true, std::nullopt, smb);
        if (!lana->QueryOnly() && !heardLocally) {
            heardLocally = true;  // the own mailslot hears a group write once, as the network would
            OnDatagram(*lana, sent);
        }
    }
}

void NbMailslotService::CloseHandle(int handle)
{
    RunOnLoop([&] {
        locals_.erase(handle);
        targets_.erase(handle);
    });
}

std::vector<NbBrowseEntry> NbMailslotService::BrowseList()
{
    std::vector<NbBrowseEntry> entries;
    RunOnLoop([&] {
        browseList_.Expire(loop_.Now());
        entries = browseList_.Entries();
    });
    const auto has = [&](const std::string& name, bool workgroup) {
        return std::ranges::any_of(
            entries, [&](const NbBrowseEntry& e) { return e.name == name && e.isWorkgroup == workgroup; });
    };
    if (!has(workgroup_, true))
        entries.push_back(NbBrowseEntry{workgroup_, {}, {}, kServerTypeDomainEnum, true});
    if (!has(computerName_, false))
        entries.push_back(NbBrowseEntry{computerName_, workgroup_, {}, kServerType, false});
    std::ranges::sort(entries, [](const NbBrowseEntry& a, const NbBrowseEntry& b) {
        return a.isWorkgroup != b.isWorkgroup ? a.isWorkgroup : a.name < b.name;
    });
    return entries;
}

bool NbMailslotService::OnDatagram(NbLana& lana, const NbDatagram& datagram)
{
    const auto write = DecodeMailslotWrite(datagram.data);
    if (!write)
        return false;  // a plain datagram, for the NCB receivers
    if (SameMailslotName(write->mailslot, kBrowseMailslot) ||
        (SameMailslotName(write->mailslot, kLanmanMailslot) && HasBrowserSignature(write->data))) {
        OnBrowseFrame(datagram, write->data);
    } else if (ForUs(lana, datagram)) {
        Queue(UpperCase(write->mailslot), write->data);
    }
    return true;
}

bool NbMailslotService::ForUs(const NbLana& lana, const NbDatagram& datagram) const
{
    const NetbiosNameBytes& destination = datagram.destination.bytes;
    const std::uint8_t suffix = destination[kNetbiosNameLength - 1];
    if (!datagram.destination.scope.empty() || (suffix != kComputerSuffix && suffix != kMessengerSuffix))
        return false;
    return SameBase(destination, MakeNetbiosName(computerName_, 0)) ||
           SameBase(destination, MakeNetbiosName(workgroup_, 0)) ||
           lana.HasLocalName(std::span(destination).first(kNetbiosNameLength - 1));
}

void NbMailslotService::Queue(const std::string& mailslot, const std::vector<std::uint8_t>& data)
{
    for (auto& [handle, slot] : locals_) {
        if (slot.mailslot != mailslot)
            continue;
        if (data.size() > slot.maxMessageSize || slot.queue.size() >= kMaxQueuedMessages) {
            ++counters_.droppedMailslotWrites;
            continue;
        }
        slot.queue.push_back(data);
    }
}

void NbMailslotService::OnBrowseFrame(const NbDatagram& datagram, const std::vector<std::uint8_t>& data)
{
    const auto frame = DecodeBrowseFrame(data);
    if (!frame) {
        ++counters_.malformedPackets;
        return;
    }
    const std::string destination = NetbiosNameText(datagram.destination.bytes);
    if (frame->announcement) {
        NbBrowseAnnouncement announcement = *frame->announcement;
        announcement.name = OemToAnsi(announcement.name);
        announcement.comment = OemToAnsi(announcement.comment);
        browseList_.Heard(announcement, destination, loop_.Now());
        return;
    }
    if (frame->opcode == kBrowseAnnouncementRequest && announcing_ && UpperCase(destination) == workgroup_) {
        static thread_local std::minstd_rand random{std::random_device{}()};
        ScheduleAnnouncement(std::chrono::seconds(1 + random() % kMaxAnswerDelaySeconds));
    }
}

void NbMailslotService::Announce(std::uint32_t serverType)
{
    const auto index = std::min<std::size_t>(static_cast<std::size_t>(announcements_), kAnnounceMinutes.size() - 1);
    NbBrowseAnnouncement announcement;
    announcement.periodicityMs = static_cast<std::uint32_t>(kAnnounceMinutes[index]) * 60'000;
    announcement.name = AnsiToOem(computerName_);
    announcement.versionMajor = kOsMajor;
    announcement.versionMinor = kOsMinor;
    announcement.serverType = serverType;
    SendToWorkgroup(kMasterBrowserSuffix, kBrowseMailslot, EncodeAnnouncement(announcement));
    if (serverType == 0)
        return;
    ++announcements_;
    ScheduleAnnouncement(std::chrono::minutes(kAnnounceMinutes[index]));
}

void NbMailslotService::ScheduleAnnouncement(std::chrono::milliseconds delay)
{
    loop_.CancelTimer(announceTimer_);
    announceTimer_ = loop_.After(delay, [this] {
        announceTimer_ = 0;
        browseList_.Expire(loop_.Now());
        Announce(kServerType);
    });
}

// Announcements travel as group datagrams to the subnet broadcast address,
// as Samba sends them, even when the destination is the unique master name.
void NbMailslotService::SendToWorkgroup(std::uint8_t suffix, const std::string& mailslot,
                                        const std::vector<std::uint8_t>& frame)
{
    const auto smb = EncodeMailslotWrite(NbMailslotWrite{mailslot, 0, kMailslotSecondClass, frame});
    const NetbiosNameBytes source = MakeNetbiosName(computerName_, kComputerSuffix);
    const NetbiosNameBytes destination = MakeNetbiosName(workgroup_, suffix);
    for (auto& lana : lanas_)
        if (!lana->QueryOnly())
            lana->SendDatagramFrom(source, destination, true, std::nullopt, smb);
}

}  // namespace pl::nb
