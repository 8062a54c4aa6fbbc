#pragma once
// Socket helpers of the provider: non-blocking IPv4 sockets bound to one
// address, and sending a UDP payload. Failures to open or bind throw
// PlNetbiosSocketErr naming the address and the system error.

#include "platform/netbios/nb_fd.h"
#include "platform/pl_error.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace pl::nb {

class PlNetbiosSocketErr : public PlError {
public:
    explicit PlNetbiosSocketErr(std::string text) : text_(std::move(text)) {}
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

UniqueFd OpenUdp(std::uint32_t address, std::uint16_t port, bool broadcast);
UniqueFd OpenTcpListener(std::uint32_t address, std::uint16_t port);
// Starts a non-blocking connect from `local`; false when it failed at once.
bool StartTcpConnect(UniqueFd& fd, std::uint32_t local, std::uint32_t address, std::uint16_t port);
void SendUdp(int fd, std::span<const std::uint8_t> bytes, std::uint32_t address, std::uint16_t port);

// Reads every datagram waiting on the non-blocking socket `fd` and hands each
// to `handle` with its source address and port (host order).
using UdpHandler = std::function<void(std::span<const std::uint8_t> bytes, std::uint32_t address, std::uint16_t port)>;
void ReceiveUdpEach(int fd, const UdpHandler& handle);

}  // namespace pl::nb
