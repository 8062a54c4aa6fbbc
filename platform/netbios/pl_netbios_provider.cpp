#include "platform/netbios/pl_netbios_provider.h"

#include "platform/netbios/nb_event_loop.h"
#include "platform/netbios/nb_requests.h"
#include "platform/sync/pl_event.h"
#include "platform/text/pl_codepage.h"

#include <cstring>

namespace pl::nb {

PlNetbiosProvider::PlNetbiosProvider(const NetbtConfig& config, std::shared_ptr<PlNetbiosClock> clock, bool queryOnly)
    : computerName_(EffectiveNetbiosName(config)),
      loop_(std::make_unique<NbEventLoop>(std::move(clock))),
      requests_(std::make_unique<NbRequests>())
{
    if (!config.oemCodepage.empty() && !SetOemCodePage(config.oemCodepage))
        throw PlNetbtConfigErr("oem_codepage: iconv does not know \"" + config.oemCodepage + "\"");
    std::vector<LmhostsEntry> lmhosts;
    if (!config.lmhosts.empty())
        lmhosts = LoadLmhosts(config.lmhosts);
    const auto interfaces = ResolveInterfaces(config);
    for (const NbInterface& interface : interfaces) {
        if (lanas_.size() > MAX_LANA)
            break;
        NbLanaSettings settings{interface,
                                config.namePort,
                                config.datagramPort,
                                config.sessionPort,
                                config.winsServer,
                                config.broadcastTargets,
                                lmhosts,
                                config.sessionIdleTimeout,
                                queryOnly};
        const auto number = static_cast<std::uint8_t>(lanas_.size());
        lanas_.push_back(std::make_unique<NbLana>(number, std::move(settings), *loop_, *requests_, counters_));
        adapters_.push_back(Adapter{number, interface.name, interface.address});
    }
    mailslots_ = std::make_unique<NbMailslotService>(*loop_, lanas_, computerName_, config.workgroup, counters_);
    loop_->Post([this] { mailslots_->Start(); });
    loop_->Start();
}

PlNetbiosProvider::~PlNetbiosProvider()
{
    RunOnLoop([this] {
        mailslots_->Stop();
        for (auto& lana : lanas_)
            lana->Shutdown();
        requests_->CompleteAll(-1, NRC_CMDCAN);
    });
    loop_->Stop();
    lanas_.clear();
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
    if (ncb->ncb_lana_num >= lanas_.size())
        return requests_->Complete(serial, NRC_BRIDGE);
    lanas_[ncb->ncb_lana_num]->Execute(ncb, serial);
}

void PlNetbiosProvider::Enumerate(NCB* ncb, std::uint64_t serial)
{
    if (ncb->ncb_buffer == nullptr || ncb->ncb_length < sizeof(LANA_ENUM))
        return requests_->Complete(serial, NRC_BUFLEN);
    LANA_ENUM lanaEnum{};
    lanaEnum.length = static_cast<std::uint8_t>(lanas_.size());
    for (std::size_t i = 0; i < lanas_.size(); ++i)
        lanaEnum.lana[i] = lanas_[i]->Number();
    std::memcpy(ncb->ncb_buffer, &lanaEnum, sizeof lanaEnum);
    ncb->ncb_length = sizeof lanaEnum;
    requests_->Complete(serial, NRC_GOODRET);
}

std::vector<NbCachedName> PlNetbiosProvider::CachedNames(std::uint8_t lana)
{
    std::vector<NbCachedName> names;
    RunOnLoop([&] {
        if (lana < lanas_.size())
            names = lanas_[lana]->CachedNames();
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
        if (lana >= lanas_.size())
            return requests_->Complete(serial, NRC_BRIDGE);
        lanas_[lana]->NodeStatusByAddress(address, &ncb, serial);
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
