#pragma once
// Opens the firewall for the messenger: an nftables table of the project's
// own ("inet parlino", chain "input" on the input hook, policy accept) with
// one accepting rule per NetBIOS or SMB port, each added only when the chain
// has none for that protocol and port, and the bind capability for the
// program's image. Uses the nft tool (PARLINO_NFT names a stand-in); the
// rules go to the network namespace of the calling thread.

#include "instlib/inst_process.h"
#include "instlib/inst_result.h"

#include <array>
#include <string>
#include <string_view>

namespace pl::inst {

struct FirewallPort {
    std::string_view protocol;  // "tcp" or "udp"
    int port;
    std::string_view name;  // the rule's comment
};

// In the order they are opened.
inline constexpr std::array<FirewallPort, 4> kFirewallPorts{{
    {"tcp", 139, "TCP 139"},
    {"tcp", 445, "TCP 445"},
    {"udp", 137, "UDP 137"},
    {"udp", 138, "UDP 138"},
}};

inline constexpr std::string_view kFirewallTable = "parlino";  // of the inet family
inline constexpr std::string_view kFirewallChain = "input";

InstResult SetupMessengerFirewall(const std::string& applicationName, const std::string& imagePath);

// True when the listing of the chain has an accepting rule for the port.
bool ChainOpensPort(std::string_view chainListing, const FirewallPort& port);

// How a failed nft call maps to a result: nft or nf_tables missing is an
// absent firewall, a refusal is access denied.
InstResult ResultForNft(const ProcessResult& result);

}  // namespace pl::inst
