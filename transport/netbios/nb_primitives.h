#pragma once
// The NetBIOS primitives of the messenger: each fills a zeroed NCB the way the
// NetBIOS layer uses it and submits it through a PlNetbiosEntry. Names in NCBs
// are the 16-byte form (OEM code page, space padded, suffix byte).

#include "platform/netbios/nb30.h"
#include "platform/text/pl_netbios_name.h"

#include <cstdint>
#include <functional>
#include <string_view>

// Where NCBs are submitted: the process's default provider in the program, a
// provider of a test LAN in tests.
using PlNetbiosEntry = std::function<std::uint8_t(NCB*)>;

namespace pl::ncb {

inline constexpr std::uint8_t kMessengerSuffix = 0x03;
inline constexpr int kResetSessions = 20;
inline constexpr int kResetNames = 30;
inline constexpr int kTimeUnitMs = 500;  // unit of ncb_rto and ncb_sto
// Between two submissions of a call that the peer refused: a sender that
// found the recipient busy with another sender's session tries again soon,
// without spinning.
inline constexpr int kResubmitPauseMs = 25;

// A zeroed NCB with both name fields filled with spaces.
NCB MakeNcb(std::uint8_t command, std::uint8_t lana);
void SetName(std::uint8_t (&field)[NCBNAMSZ], const pl::NetbiosNameBytes& name);

std::uint8_t EnumerateAdapters(const PlNetbiosEntry& entry, LANA_ENUM& lanas);
std::uint8_t ResetAdapter(const PlNetbiosEntry& entry, std::uint8_t lana);
std::uint8_t AddName(const PlNetbiosEntry& entry, std::uint8_t lana, const pl::NetbiosNameBytes& name);
std::uint8_t DeleteName(const PlNetbiosEntry& entry, std::uint8_t lana, const pl::NetbiosNameBytes& name);
std::uint8_t HangUp(const PlNetbiosEntry& entry, std::uint8_t lana, std::uint8_t lsn);
// Receive: `length` is the buffer size in and the received count out.
std::uint8_t Receive(const PlNetbiosEntry& entry, std::uint8_t lana, std::uint8_t lsn, std::uint8_t* buffer,
                     std::uint16_t& length);
std::uint8_t Send(const PlNetbiosEntry& entry, std::uint8_t lana, std::uint8_t lsn, const std::uint8_t* buffer,
                  std::uint16_t length);
std::uint8_t Cancel(const PlNetbiosEntry& entry, std::uint8_t lana, NCB& target);

// Submits `ncb` asynchronously, resubmitting it while it ends with "no answer"
// (0x14: nobody listening) or "remote session table full" (0x12: the
// recipient serves as many sessions as it takes), after a short pause each
// time, until `limitMs` have passed; then cancels it. Returns the last return
// code seen, or 0x05 (timed out) when none was. The limit is a time, not a
// count: a peer that answers at once must not use up the attempts in a few
// milliseconds.
std::uint8_t TimedSubmit(const PlNetbiosEntry& entry, NCB& ncb, int limitMs);

// Adapter status of `name` (any suffix) into the caller's buffer, within `limitMs`.
std::uint8_t AdapterStatus(const PlNetbiosEntry& entry, std::uint8_t lana, const pl::NetbiosNameBytes& name,
                           std::uint8_t* buffer, std::uint16_t length, int limitMs);

}  // namespace pl::ncb
