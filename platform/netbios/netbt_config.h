#pragma once
// The provider's configuration: the [netbt] file that PARLINO_NETBT_CONF names
// (else /etc/parlino/netbt.conf). Every key is optional; a missing system file
// means the defaults, while a missing file that PARLINO_NETBT_CONF names, or
// a bad line, throws PlNetbtConfigErr naming the file (and line).

#include "platform/pl_error.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pl::nb {

class PlNetbtConfigErr : public PlError {
public:
    explicit PlNetbtConfigErr(std::string text) : text_(std::move(text)) {}
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

struct NetbtConfig {
    std::vector<std::string> interfaces;  // names or IPv4 addresses; empty: every up IPv4 non-loopback
    std::string netbiosName;              // empty: first label of the host name
    std::string workgroup = "WORKGROUP";
    std::uint16_t namePort = 137;
    std::uint16_t datagramPort = 138;
    std::uint16_t sessionPort = 139;
    // An incoming session on which no message arrives for this long is ended
    // (0: never), so that a silent peer cannot hold a listener's session.
    std::chrono::seconds sessionIdleTimeout{30};
    std::optional<std::uint32_t> winsServer;      // IPv4, host order
    std::string lmhosts;                          // path of an lmhosts file
    std::string oemCodepage;                      // empty: from the locale
    std::vector<std::uint32_t> broadcastTargets;  // unicast stand-ins for broadcast, host order
};

inline constexpr const char* kDefaultNetbtConfPath = "/etc/parlino/netbt.conf";

// Parses the text of a configuration file; `source` names it in errors.
NetbtConfig ParseNetbtConfig(std::string_view text, const std::string& source);

// Reads the file of PARLINO_NETBT_CONF or the system file; the defaults when
// the system file is absent. Throws PlNetbtConfigErr.
NetbtConfig LoadNetbtConfig();

// The computer name to use (LocalComputerName): the configured one, else the
// host name's first label, upper-cased and cut to 15 bytes in the configured
// OEM code page.
std::string EffectiveNetbiosName(const NetbtConfig& config);

// Parses dotted IPv4 text into host order.
std::optional<std::uint32_t> ParseIpv4(std::string_view text);
std::string Ipv4Text(std::uint32_t address);

}  // namespace pl::nb
