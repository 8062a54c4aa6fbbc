#pragma once
// The network interfaces as the provider sees them, and which of them the
// configuration makes LANAs of. NbInterfaceSnapshot holds the kernel's links
// and IPv4 addresses as rtnetlink reports them; SelectInterfaces turns a
// snapshot and the configured `interfaces` into one NbInterface per LANA
// wanted now. Plain values without locks of their own.

#include "platform/netbios/nb_rtnl_codec.h"
#include "platform/netbios/netbt_config.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pl::nb {

struct NbInterface {
    std::string name;                        // interface name, or the address text
    std::uint32_t address = 0;               // host order
    std::optional<std::uint32_t> broadcast;  // the subnet's broadcast address, if any

    bool operator==(const NbInterface&) const = default;
};

class NbInterfaceSnapshot {
public:
    struct Link {
        std::string name;
        std::uint32_t flags = 0;  // IFF_*
    };
    struct Address {
        std::int32_t index = 0;
        std::uint32_t local = 0;  // host order
        std::uint8_t prefixLength = 0;
        std::optional<std::uint32_t> broadcast;
        bool secondary = false;
    };

    // Takes in one link or IPv4 address message; true when it changed the
    // snapshot. A deleted link takes its addresses with it.
    bool Apply(const RtnlMessage& message);
    void Clear();
    void SetLink(std::int32_t index, Link link);
    void RemoveLink(std::int32_t index);
    void SetAddress(const Address& address);
    void RemoveAddress(std::int32_t index, std::uint32_t local, std::uint8_t prefixLength);

    // By interface index.
    const std::map<std::int32_t, Link>& Links() const { return links_; }
    // In the order the kernel reported them.
    const std::vector<Address>& Addresses() const { return addresses_; }

private:
    std::map<std::int32_t, Link> links_;
    std::vector<Address> addresses_;
};

// The interfaces to make LANAs of, without repeats: each one named in
// `config.interfaces` that is up and has an IPv4 address (its primary one),
// in the order configured, where an address of 127.0.0.0/8 is always usable;
// without such a list, every IPv4 address of every interface that is up and
// not loopback.
std::vector<NbInterface> SelectInterfaces(const NetbtConfig& config, const NbInterfaceSnapshot& snapshot);

}  // namespace pl::nb
