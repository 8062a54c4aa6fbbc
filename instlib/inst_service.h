#pragma once
// Switches off the system's NetBIOS name server, nmbd.service, which would
// otherwise hold the messenger names and the datagram port: disables its
// start at boot and asks systemd to stop it. Uses the systemctl tool
// (PARLINO_SYSTEMCTL names a stand-in). With a system root other than "/"
// the unit files of that root are changed offline and nothing is stopped.

#include "instlib/inst_process.h"
#include "instlib/inst_result.h"

namespace pl::inst {

inline constexpr const char* kMessengerServiceUnit = "nmbd.service";

InstResult DisableMessengerService();

// How a failed systemctl call maps to a result: no systemd (not installed,
// not running, no bus) is an absent component, a refusal is access denied.
InstResult ResultForSystemctl(const ProcessResult& result);

}  // namespace pl::inst
