#pragma once
// The kernel's interface list through a route netlink socket: every link
// with its name, alias and flags, and the IPv4 addresses of each. The socket
// belongs to the network namespace of the thread that opened it.
// Thread contract: one thread at a time per object.

#include <cstdint>
#include <string>
#include <vector>

namespace pl::inst {

struct KernelInterface {
    int index = 0;
    std::string name;
    std::string alias;                // empty when none is set
    unsigned flags = 0;               // IFF_*
    std::vector<std::uint32_t> ipv4;  // addresses, host order
};

class NetlinkRoute {
public:
    NetlinkRoute() = default;
    NetlinkRoute(const NetlinkRoute&) = delete;
    NetlinkRoute& operator=(const NetlinkRoute&) = delete;
    ~NetlinkRoute() { Close(); }

    // Opens and binds the socket; 0 or the errno of the failure.
    int Open();
    bool IsOpen() const { return fd_ >= 0; }
    void Close();

    // Every link in the kernel's order with its IPv4 addresses; 0 or the
    // errno of the failure (then `interfaces` is empty).
    int List(std::vector<KernelInterface>& interfaces);

private:
    int Dump(std::uint16_t type, std::uint8_t family, std::vector<std::uint8_t>& replies);
    int fd_ = -1;
    std::uint32_t sequence_ = 0;
};

}  // namespace pl::inst
