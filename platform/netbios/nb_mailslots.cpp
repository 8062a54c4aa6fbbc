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

NbMailslotService::NbMailslotService(NbEventLoop& loop, const NbLanaMap& lanas, const std::string& computerName,
                                     const std::string& workgroup, NbCounters& counters, bool queryOnly)
    : loop_(loop),
      lanas_(lanas),
      computerName_(UpperCase(computerName)),
      workgroup_(UpperCase(workgroup)),
      counters_(counters),
      queryOnly_(queryOnly)
{
}

void NbMailslotService::Start()
{
    started_ = true;
    for (const auto& [number, lana] : lanas_)
        Tap(*lana);
    announcing_ = !queryOnly_;
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
    started_ = false;
    for (const auto& [number, lana] : lanas_)
        lana->SetDatagramTap(nullptr);
    while (!resolutions_.empty())
        FinishResolution(resolutions_.begin()->first, std::nullopt);
}

// A new adapter hears mailslot writes and browser frames at once, holds the
// service names when they are wanted, and makes the computer known on its
// network without waiting for the next scheduled announcement.
void NbMailslotService::AdapterAdded(NbLana& lana)
{
    if (!started_ || lana.QueryOnly())
        return;
    Tap(lana);
    if (serviceNames_)
        AddServiceNames(lana);
    if (!announcing_)
        return;
    SendToWorkgroup(kComputerSuffix, kBrowseMailslot, EncodeAnnouncementRequest(AnsiToOem(computerName_)), &lana);
    SendToWorkgroup(kMasterBrowserSuffix, kBrowseMailslot, AnnouncementFrame(kServerType), &lana);
}

// The removed adapter dropped the queries it had running without answering
// them: resolutions waiting there go on with the next adapter.
void NbMailslotService::AdapterRemoved(std::uint8_t number)
{
    std::vector<std::uint64_t> moved;
    for (auto& [id, resolution] : resolutions_) {
        if (resolution.lana == number) {
            resolution.round = 0;
            moved.push_back(id);
        }
    }
    for (const std::uint64_t id : moved)
        ResolveNext(id);
}

NbLana* NbMailslotService::Adapter(std::uint8_t number) const
{
    const auto it = lanas_.find(number);
    return it == lanas_.end() ? nullptr : it->second.get();
}

NbLana* NbMailslotService::FirstServingAdapter() const
{
    for (const auto& [number, lana] : lanas_)
        if (!lana->QueryOnly())
            return lana.get();
    return nullptr;
}

void NbMailslotService::Tap(NbLana& lana)
{
    if (!lana.QueryOnly())
        lana.SetDatagramTap([this](NbLana& from, const NbDatagram& datagram) { return OnDatagram(from, datagram); });
}

// A computer that receives mailslot writes owns COMPUTER<00> and the
// workgroup's <00> group, as a Windows workstation does: writes to the
// computer are addressed to the first and resolve through it, writes to the
// workgroup reach the second. They stay until the provider ends or the
// adapter goes.
void NbMailslotService::AddServiceNames(NbLana& lana)
{
    lana.AddServiceName(MakeNetbiosName(computerName_, kComputerSuffix), false);
    lana.AddServiceName(MakeNetbiosName(workgroup_, kComputerSuffix), true);
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
        serviceNames_ = true;
        for (const auto& [number, lana] : lanas_)
            AddServiceNames(*lana);
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
        ResolveTarget(name, [&](std::optional<Target> target) {
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
void NbMailslotService::ResolveTarget(const std::string& name, TargetHandler done)
{
    const std::uint64_t id = nextResolution_++;
    resolutions_.emplace(id, Resolution{name, 0, 0, 0, std::move(done)});
    ResolveNext(id);
}

void NbMailslotService::ResolveNext(std::uint64_t id)
{
    const auto it = resolutions_.find(id);
    if (it == resolutions_.end())
        return;
    Resolution& resolution = it->second;
    const auto lana = lanas_.lower_bound(static_cast<std::uint8_t>(std::min(resolution.lana, 255)));
    if (resolution.lana > 255 || lana == lanas_.end())
        return FinishResolution(id, std::nullopt);
    resolution.lana = lana->first;
    const std::uint64_t step = ++resolution.step;
    const std::uint8_t suffix = resolution.round == 0 ? kComputerSuffix : kMessengerSuffix;
    // The answer may come before ResolveName returns.
    lana->second->ResolveName(MakeNetbiosName(resolution.name, suffix),
                              [this, id, step](std::optional<NbResolvedName> owner) { Resolved(id, step, owner); });
}

void NbMailslotService::Resolved(std::uint64_t id, std::uint64_t step, std::optional<NbResolvedName> owner)
{
    const auto it = resolutions_.find(id);
    if (it == resolutions_.end() || it->second.step != step)
        return;  // given up, or moved on from a removed adapter
    Resolution& resolution = it->second;
    NbLana* lana = Adapter(static_cast<std::uint8_t>(resolution.lana));
    if (!owner || lana == nullptr) {
        if (resolution.round == 0 && lana != nullptr) {
            resolution.round = 1;
        } else {
            resolution.round = 0;
            ++resolution.lana;
        }
        return ResolveNext(id);
    }
    Target target;
    target.destination = MakeNetbiosName(resolution.name, kComputerSuffix);
    target.group = owner->group;
    target.lana = static_cast<std::uint8_t>(resolution.lana);
    if (!target.group)
        target.address = owner->address;
    target.local = !target.group && owner->address == lana->Interface().address && !lana->QueryOnly();
    FinishResolution(id, target);
}

void NbMailslotService::FinishResolution(std::uint64_t id, std::optional<Target> target)
{
    const auto it = resolutions_.find(id);
    if (it == resolutions_.end())
        return;
    const TargetHandler done = std::move(it->second.done);
    resolutions_.erase(it);
    done(std::move(target));
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
        sent = SendWrite(it->second, std::move(smb));
    });
    return sent;
}

// Through the adapter the target was found on, or another one when that
// adapter went meanwhile.
bool NbMailslotService::SendWrite(const Target& target, std::vector<std::uint8_t> smb)
{
    const NetbiosNameBytes source = MakeNetbiosName(computerName_, kComputerSuffix);
    if (target.local) {
        NbLana* lana = Adapter(target.lana);
        if (lana == nullptr || lana->QueryOnly())
            lana = FirstServingAdapter();
        if (lana == nullptr)
            return false;
        NbDatagram datagram;
        datagram.source = NbName{source, ""};
        datagram.destination = NbName{target.destination, ""};
        datagram.data = std::move(smb);
        OnDatagram(*lana, datagram);
        return true;
    }
    if (!target.group) {
        NbLana* lana = Adapter(target.lana);
        if (lana == nullptr && !lanas_.empty())
            lana = lanas_.begin()->second.get();
        if (lana == nullptr)
            return false;
        lana->SendDatagramFrom(source, target.destination, false, target.address, std::move(smb));
        return true;
    }
    bool heardLocally = false;
    for (const auto& [number, lana] : lanas_) {
        const NbDatagram sent = lana->SendDatagramFrom(source, target.destination, true, std::nullopt, smb);
        if (!lana->QueryOnly() && !heardLocally) {
            heardLocally = true;  // the own mailslot hears a group write once, as the network would
            OnDatagram(*lana, sent);
        }
    }
    return !lanas_.empty();
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

std::vector<std::uint8_t> NbMailslotService::AnnouncementFrame(std::uint32_t serverType) const
{
    const auto index = std::min<std::size_t>(static_cast<std::size_t>(announcements_), kAnnounceMinutes.size() - 1);
    NbBrowseAnnouncement announcement;
    announcement.periodicityMs = static_cast<std::uint32_t>(kAnnounceMinutes[index]) * 60'000;
    announcement.name = AnsiToOem(computerName_);
    announcement.versionMajor = kOsMajor;
    announcement.versionMinor = kOsMinor;
    announcement.serverType = serverType;
    return EncodeAnnouncement(announcement);
}

void NbMailslotService::Announce(std::uint32_t serverType)
{
    const auto index = std::min<std::size_t>(static_cast<std::size_t>(announcements_), kAnnounceMinutes.size() - 1);
    SendToWorkgroup(kMasterBrowserSuffix, kBrowseMailslot, AnnouncementFrame(serverType));
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
                                        const std::vector<std::uint8_t>& frame, NbLana* only)
{
    const auto smb = EncodeMailslotWrite(NbMailslotWrite{mailslot, 0, kMailslotSecondClass, frame});
    const NetbiosNameBytes source = MakeNetbiosName(computerName_, kComputerSuffix);
    const NetbiosNameBytes destination = MakeNetbiosName(workgroup_, suffix);
    for (const auto& [number, lana] : lanas_)
        if (!lana->QueryOnly() && (only == nullptr || only == lana.get()))
            lana->SendDatagramFrom(source, destination, true, std::nullopt, smb);
}

}  // namespace pl::nb
