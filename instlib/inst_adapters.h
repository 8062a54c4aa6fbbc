#pragma once
// The adapter list of the set-up program's adapter sequence: the interfaces
// with IPv4 that can carry NetBIOS, their display names, and enabling
// NetBIOS over TCP/IP on one of them. The export layer holds one instance
// for the process. Thread contract: one thread at a time.

#include "instlib/inst_netlink.h"
#include "instlib/inst_result.h"

#include <string>
#include <vector>

namespace pl::inst {

struct Adapter {
    std::string interfaceName;  // what the configuration lists
    std::string displayName;    // the alias when one is set, else the name
    std::vector<std::uint32_t> ipv4;
};

class AdapterList {
public:
    // Opens the kernel interface list; an open list is closed first.
    InstResult Open();
    // Empties the list and fills it again; a failed query closes the list.
    InstResult Enumerate();
    InstResult Enable(int index) const;
    void Close() { netlink_.Close(); }

    int Count() const { return static_cast<int>(adapters_.size()); }
    // The display name of adapter `index`; empty for an index out of range.
    std::string DisplayName(int index) const;

private:
    NetlinkRoute netlink_;
    std::vector<Adapter> adapters_;  // kept after Close, until the next Enumerate
};

// The adapters among the kernel's interfaces: every interface with an IPv4
// address except loopback, in the kernel's order.
std::vector<Adapter> AdaptersOf(const std::vector<KernelInterface>& interfaces);

}  // namespace pl::inst
