#include "platform/netbios/pl_netbios_provider.h"

#include "platform/netbios/nb_event_loop.h"
#include "platform/netbios/nb_netlink_watcher.h"
#include "platform/netbios/nb_requests.h"
#include "platform/netbios/nb_socket.h"
#include "platform/sync/pl_event.h"
#include "platform/text/pl_codepage.h"

#include <cstring>

namespace pl::nb {

PlNetbiosProvider::PlNetbiosProvider(const NetbtConfig& config, std::shared_ptr<PlNetbiosClock> clock, bool queryOnly,
                                     std::unique_ptr<NbInterfaceSource> interfaces)
    : config_(config),
      queryOnly_(queryOnly),
      computerName_(EffectiveNetbiosName(config)),
      loop_(std::make_unique<NbEventLoop>(std::move(clock))),
      requests_(std::make_unique<NbRequests>())
{
    if (!config.oemCodepage.empty() && !SetOemCodePage(config.oemCodepage))
        throw PlNetbtConfigErr("oem_codepage: iconv does not know \"" + config.oemCodepage + "\"");
    if (!config.lmhosts.empty())
        lmhosts_ = LoadLmhosts(config.lmhosts);
    mailslots_ =
        std::make_unique<NbMailslotService>(*loop_, lanas_, computerName_, config.workgroup, counters_, queryOnly);
    interfaces_ = interfaces ? std::move(interfaces) : std::make_unique<NbNetlinkWatcher>(counters_);
    ApplyInterfaces(true);
    interfaces_->Start(*loop_, [this] { ApplyInterfaces(false); });
    loop_->Post([this] { mailslots_->Start(); });
    loop_->Start();
}

PlNetbiosProvider::~PlNetbiosProvider()
{
    RunOnLoop([this] {
        loop_->CancelTimer(retryTimer_);
        mailslots_->Stop();
        for (auto& [number, lana] : lanas_)
            lana->Shutdown();
        requests_->CompleteAll(-1, NRC_CMDCAN);
    });
    loop_->Stop();
    interfaces_.reset();
    mailslots_.reset();
    lanas_.clear();
}

std::vector<PlNetbiosProvider::Adapter> PlNetbiosProvider::Adapters() const
{
    std::lock_guard lock(adaptersMutex_);
    return adapters_;
}

NbLana* PlNetbiosProvider::Find(std::uint8_t number) const
{
    const auto it = lanas_.find(number);
    return it == lanas_.end() ? nullptr : it->second.get();
}

// Removals first, so that an address change frees its number for the
// interface's new address. At start a port that cannot be bound is an error
// of the provider; later it is counted and tried again.
void PlNetbiosProvider::ApplyInterfaces(bool starting)
{
    const NbLanaPlan plan = numbers_.Update(SelectInterfaces(config_, interfaces_->Snapshot()));
    for (const std::uint8_t number : plan.removed)
        CloseAdapter(number);
    bool failed = false;
    for (const auto& [number, interface] : plan.added)
        failed = !OpenAdapter(number, interface, starting) || failed;
    if (failed && retryTimer_ == 0) {
        retryTimer_ = loop_->After(std::chrono::duration_cast<std::chrono::milliseconds>(kAdapterRetry), [this] {
            retryTimer_ = 0;
            ApplyInterfaces(false);
        });
    }
    if (!plan.Empty())
        PublishAdapters();
}

bool PlNetbiosProvider::OpenAdapter(std::uint8_t number, const NbInterface& interface, bool starting)
{
    NbLanaSettings settings{interface,
                            config_.namePort,
                            config_.datagramPort,
                            config_.sessionPort,
                            config_.winsServer,
                            config_.broadcastTargets,
                            lmhosts_,
                            &farewells_,
                            config_.sessionIdleTimeout,
                            queryOnly_};
    try {
        auto lana = std::make_unique<NbLana>(number, std::move(settings), *loop_, *requests_, counters_);
        NbLana& opened = *lana;
        lanas_[number] = std::move(lana);
        mailslots_->AdapterAdded(opened);
        return true;
    } catch (const PlNetbiosSocketErr&) {
        if (starting)
            throw;
        ++counters_.failedAdapters;
        numbers_.Drop(number);
        return false;
    }
}

// The adapter's interface went: what it had pending fails, its names are
// released where the network still takes the release, and it is gone before
// the mailslots look for another adapter.
void PlNetbiosProvider::CloseAdapter(std::uint8_t number)
{
    const auto it = lanas_.find(number);
    if (it == lanas_.end())
        return;
    const std::unique_ptr<NbLana> lana = std::move(it->second);
    lanas_.erase(it);
    lana->Withdraw();
    mailslots_->AdapterRemoved(number);
}

void PlNetbiosProvider::PublishAdapters()
{
    std::vector<Adapter> adapters;
    for (const auto& [number, lana] : lanas_)
        adapters.push_back(Adapter{number, lana->Interface().name, lana->Interface().address});
    std::lock_guard lock(adaptersMutex_);
    adapters_ = std::move(adapters);
}

void PlNetbiosProvider::RunOnLoop(const std::function<void()>& task)
{
    loop_->RunExclusive(task);
}

std::uint8_t PlNetbiosProvider::Netbios(NCB* ncb)
{
    if (ncb == nullptr)
        return NRC_SYSTEM;
    const bool async = (ncb->ncb_command & ASYNCH) != 0;
    if (NbEventLoop::InsideLoopCode()) {
        // A completion routine: it may only queue work; waiting for the
        // provider it runs in would wait forever.
        if (!async) {
            ncb->ncb_retcode = ncb->ncb_cmd_cplt = NRC_SYSTEM;
            return NRC_SYSTEM;
        }
        ncb->ncb_retcode = ncb->ncb_cmd_cplt = NRC_PENDING;
        loop_->Post([this, ncb] { Start(ncb, nullptr); });
        return NRC_GOODRET;
    }
    ncb->ncb_retcode = ncb->ncb_cmd_cplt = NRC_PENDING;
    if (async) {
        loop_->RunExclusive([this, ncb] { Start(ncb, nullptr); });
        return NRC_GOODRET;
    }
    PlEvent done;
    loop_->RunExclusive([this, ncb, &done] { Start(ncb, &done); });
    done.Wait(PlEvent::kInfinite);
    return ncb->ncb_retcode;
}

void PlNetbiosProvider::Start(NCB* ncb, PlEvent* syncDone)
{
    const auto serial = requests_->Begin(ncb, syncDone);
    const std::uint8_t command = ncb->ncb_command & ~ASYNCH;
    if (command == NCBENUM)
        return Enumerate(ncb, serial);
    if (command == NCBCANCEL) {
        const NCB* target = reinterpret_cast<const NCB*>(ncb->ncb_buffer);
        return requests_->Complete(serial, target == nullptr ? NRC_CANOCCR : requests_->Cancel(target));
    }
    NbLana* lana = Find(ncb->ncb_lana_num);
    if (lana == nullptr)
        return requests_->Complete(serial, NRC_BRIDGE);
    lana->Execute(ncb, serial);
}

void PlNetbiosProvider::Enumerate(NCB* ncb, std::uint64_t serial)
{
    if (ncb->ncb_buffer == nullptr || ncb->ncb_length < sizeof(LANA_ENUM))
        return requests_->Complete(serial, NRC_BUFLEN);
    LANA_ENUM lanaEnum{};
    for (const auto& [number, lana] : lanas_)
        lanaEnum.lana[lanaEnum.length++] = number;
    std::memcpy(ncb->ncb_buffer, &lanaEnum, sizeof lanaEnum);
    ncb->ncb_length = sizeof lanaEnum;
    requests_->Complete(serial, NRC_GOODRET);
}

std::vector<NbCachedName> PlNetbiosProvider::CachedNames(std::uint8_t lana)
{
    std::vector<NbCachedName> names;
    RunOnLoop([&] {
        if (const NbLana* adapter = Find(lana))
            names = adapter->CachedNames();
    });
    return names;
}

std::uint8_t PlNetbiosProvider::NodeStatusByAddress(std::uint8_t lana, std::uint32_t address,
                                                    std::span<std::uint8_t> buffer, std::uint16_t& length)
{
    NCB ncb{};
    ncb.ncb_command = NCBASTAT;
    ncb.ncb_lana_num = lana;
    ncb.ncb_buffer = buffer.data();
    ncb.ncb_length = static_cast<std::uint16_t>(std::min<std::size_t>(buffer.size(), 0xFFFF));
    ncb.ncb_retcode = ncb.ncb_cmd_cplt = NRC_PENDING;
    PlEvent done;
    loop_->RunExclusive([this, &ncb, &done, address, lana] {
        const auto serial = requests_->Begin(&ncb, &done);
        NbLana* adapter = Find(lana);
        if (adapter == nullptr)
            return requests_->Complete(serial, NRC_BRIDGE);
        adapter->NodeStatusByAddress(address, &ncb, serial);
    });
    done.Wait(PlEvent::kInfinite);
    length = ncb.ncb_length;
    return ncb.ncb_retcode;
}

void PlNetbiosProvider::Wake()
{
    loop_->Wake();
}

}  // namespace pl::nb
