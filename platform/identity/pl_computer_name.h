#pragma once
// The computer name, as the messenger registers it, sends from and announces
// (what GetComputerNameA gives on Windows): the configured name, else the
// first label of the host name; upper-cased and cut to the 15 bytes a NetBIOS
// name holds in the OEM code page, never inside a character. Every use of the
// computer name starts from this one function, so that the name registered,
// the originator of a message, the archive and the browse list agree.

#include <string>
#include <string_view>

namespace pl {

// `configured` may be empty; `codepage` is the OEM code page the name travels in.
std::string LocalComputerName(std::string_view configured, const std::string& codepage);

}  // namespace pl
