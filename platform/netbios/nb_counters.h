#pragma once
// Counters of what a provider dropped; read from any thread.

#include <atomic>
#include <cstdint>

namespace pl::nb {

struct NbCounters {
    std::atomic<std::uint64_t> malformedPackets{0};       // NBNS, datagram or session packets that did not decode
    std::atomic<std::uint64_t> droppedDatagrams{0};       // well-formed datagrams nobody was waiting for
    std::atomic<std::uint64_t> droppedConnections{0};     // incoming connections closed before a session began
    std::atomic<std::uint64_t> droppedMailslotWrites{0};  // too long for their mailslot, or its queue was full
    std::atomic<std::uint64_t> interfaceRelistings{0};    // interface listings afresh after lost or bad messages
    std::atomic<std::uint64_t> failedAdapters{0};         // interfaces whose adapter could not be opened
    std::atomic<std::uint64_t> idleSessions{0};           // incoming sessions ended for silence
};

}  // namespace pl::nb
