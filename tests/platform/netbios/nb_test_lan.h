#pragma once
// A LAN of providers in one process for tests: host i runs on 127.0.0.(base+i)
// with ports unique to the test process; broadcast reaches the other hosts
// through the unicast broadcast_targets list. Plus NCB helpers.

#include "platform/netbios/nb30.h"
#include "platform/netbios/pl_netbios_provider.h"
#include "platform/sync/pl_event.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pl::nb::test {

// A clock that moves only when the test moves it.
class FakeClock final : public PlNetbiosClock {
public:
    TimePoint Now() const override { return TimePoint(std::chrono::nanoseconds(now_.load())); }
    void Advance(std::chrono::milliseconds step) { now_ += std::chrono::nanoseconds(step).count(); }

private:
    std::atomic<std::int64_t> now_{std::chrono::nanoseconds(std::chrono::hours(1)).count()};
};

class TestLan {
public:
    // `adjust` may change each host's configuration before its provider starts.
    explicit TestLan(int hosts, const std::function<void(NetbtConfig&)>& adjust = {});
    PlNetbiosProvider& Host(int index) { return *providers_.at(static_cast<std::size_t>(index)); }
    std::uint32_t Address(int index) const;
    const NetbtConfig& Config(int index) const { return configs_.at(static_cast<std::size_t>(index)); }
    void Remove(int index) { providers_.at(static_cast<std::size_t>(index)).reset(); }

    static NetbtConfig MakeConfig(int hostIndex, int hosts);
    static std::uint16_t BasePort();

private:
    std::vector<NetbtConfig> configs_;
    std::vector<std::unique_ptr<PlNetbiosProvider>> providers_;
};

// An NCB with the 16-byte forms of `name` (suffix) filled in the given field.
void SetName(std::uint8_t (&field)[16], const std::string& name, std::uint8_t suffix);

std::uint8_t AddName(PlNetbiosProvider& host, const std::string& name, std::uint8_t suffix = 0x03, bool group = false,
                     std::uint8_t* num = nullptr);
std::uint8_t DeleteName(PlNetbiosProvider& host, const std::string& name, std::uint8_t suffix = 0x03);

// Returns once `host` has taken every NCB submitted before (a synchronous
// NCB runs after them): an asynchronous listen or receive is then in place.
void Barrier(PlNetbiosProvider& host);

// An asynchronous NCB with its own event.
struct AsyncNcb {
    NCB ncb{};
    PlEvent event;
    std::vector<std::uint8_t> buffer;
    // Waits at most `ms`; the return code, or NRC_PENDING when still running.
    std::uint8_t Wait(int ms = 10000);
};

std::unique_ptr<AsyncNcb> StartListen(PlNetbiosProvider& host, const std::string& name,
                                      const std::string& caller = "*");
std::uint8_t Call(PlNetbiosProvider& host, const std::string& from, const std::string& to, std::uint8_t& lsn,
                  std::uint8_t rto = 0, std::uint8_t sto = 0);
std::uint8_t Send(PlNetbiosProvider& host, std::uint8_t lsn, const std::vector<std::uint8_t>& data);
std::uint8_t Receive(PlNetbiosProvider& host, std::uint8_t lsn, std::vector<std::uint8_t>& data, std::size_t size);
std::uint8_t HangUp(PlNetbiosProvider& host, std::uint8_t lsn);
std::uint8_t Cancel(PlNetbiosProvider& host, NCB* target);
std::uint8_t AdapterStatus(PlNetbiosProvider& host, const std::string& name, std::uint8_t suffix,
                           std::vector<std::uint8_t>& buffer, std::size_t size = 1212);

}  // namespace pl::nb::test
