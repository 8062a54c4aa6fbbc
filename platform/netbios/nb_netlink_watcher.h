#pragma once
// NbNetlinkWatcher: the provider's interface source. It keeps an rtnetlink
// socket that has joined the link and IPv4 address groups (RTMGRP_LINK,
// RTMGRP_IPV4_IFADDR), reads the current links and addresses when it is
// made, and then follows every change on the provider's event loop: no
// thread of its own, no polling. When the kernel had to drop messages (the
// socket overflowed) or sent something that does not decode, it lists the
// links and addresses afresh and reports no change until the listing is
// complete. Only messages from the kernel are taken. Thread contract as
// NbInterfaceSource: the constructor before the loop runs, the rest as loop
// code.

#include "platform/netbios/nb_counters.h"
#include "platform/netbios/nb_fd.h"
#include "platform/netbios/nb_interface_source.h"
#include "platform/netbios/nb_watched_socket.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace pl::nb {

class NbNetlinkWatcher final : public NbInterfaceSource {
public:
    static constexpr auto kListingLimit = std::chrono::seconds(5);
    static constexpr auto kRetryDelay = std::chrono::milliseconds(200);

    // Opens the socket and reads the current links and addresses; throws
    // PlNetbiosSocketErr when the kernel cannot be asked or does not answer.
    explicit NbNetlinkWatcher(NbCounters& counters);
    NbNetlinkWatcher(const NbNetlinkWatcher&) = delete;
    NbNetlinkWatcher& operator=(const NbNetlinkWatcher&) = delete;
    ~NbNetlinkWatcher() override;

    void Start(NbEventLoop& loop, ChangeHandler changed) override;
    const NbInterfaceSnapshot& Snapshot() const override { return snapshot_; }

private:
    enum class Phase { Idle, Links, Addresses, Waiting };

    int Fd() const;
    void OnReadable();
    void ReadAll();
    void Handle(std::span<const std::uint8_t> datagram);
    void HandleDumpEnd(const RtnlMessage& message);
    void Relist();
    void Request(std::uint16_t type);
    void RetryLater();

    NbCounters& counters_;
    UniqueFd fd_;                              // until Start
    std::unique_ptr<NbWatchedSocket> socket_;  // from Start
    NbEventLoop* loop_ = nullptr;
    ChangeHandler changed_;
    NbInterfaceSnapshot snapshot_;
    Phase phase_ = Phase::Idle;
    std::uint32_t sequence_ = 0;
    bool dirty_ = false;
    bool interrupted_ = false;  // the kernel's tables changed during the listing
    NbEventLoop::TimerId retryTimer_ = 0;
    std::vector<std::uint8_t> buffer_;
};

}  // namespace pl::nb
