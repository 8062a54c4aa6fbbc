// Personal messages per second from one sender to one receiver on loopback:
// the whole client path (call, SMB messenger exchange, hang-up, delivery to
// the receiver) for a single-block text and a 1600-character multi-block text,
// against a raw TCP exchange that carries the same bytes in the same number of
// round trips, measured in the same run.
//
// Run: build/default/bench/transport/bench_personal_messaging

#include "platform/netbios/pl_netbios_provider.h"
#include "transport/messaging/pl_smb_messaging_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using pl::nb::NetbtConfig;
using pl::nb::PlNetbiosProvider;

constexpr std::uint32_t kSenderHost = 0x7F000000u | 74;
constexpr std::uint32_t kReceiverHost = 0x7F000000u | 75;
constexpr std::uint32_t kRawHost = 0x7F000000u | 76;

std::uint16_t BasePort()
{
    return static_cast<std::uint16_t>(21000 + (getpid() % 2500) * 3);
}

NetbtConfig HostConfig(std::uint32_t self, std::uint32_t other, const char* name)
{
    NetbtConfig config;
    config.interfaces = {pl::nb::Ipv4Text(self)};
    config.netbiosName = name;
    config.namePort = BasePort();
    config.datagramPort = static_cast<std::uint16_t>(BasePort() + 1);
    config.sessionPort = static_cast<std::uint16_t>(BasePort() + 2);
    config.broadcastTargets = {other};
    config.oemCodepage = "CP850";
    return config;
}

struct Counter {
    void OnMessage(CMsg) { ++received; }
    std::atomic<long> received{0};
};

// One computer: provider, network and personal client, torn down in order.
class Station {
public:
    Station(const NetbtConfig& config, const char* user, Counter* counter)
        : provider_(std::make_unique<PlNetbiosProvider>(config))
    {
        network_ = std::make_unique<PlNetbiosNetwork>([this](NCB* ncb) { return provider_->Netbios(ncb); });
        client_ = std::make_unique<PlSmbMessagingClient>(*network_, provider_->ComputerName(), user);
        if (counter != nullptr) {
            receiver_ = std::make_unique<PlVoidUnaryMemberFunction<Counter, CMsg>>(counter, &Counter::OnMessage);
            client_->SetReceiver(receiver_.get());
        }
        client_->CreateThread();
        network_->SetListener(client_->ChangeListener());
        network_->StartRefresh();
        while (client_->OpenNameCount() < 2)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ~Station()
    {
        network_->StopRefresh();
        client_.reset();
        network_.reset();
    }
    PlSmbMessagingClient& Client() { return *client_; }

private:
    std::unique_ptr<PlNetbiosProvider> provider_;
    std::unique_ptr<PlVoidUnaryMemberFunction<Counter, CMsg>> receiver_;
    std::unique_ptr<PlNetbiosNetwork> network_;
    std::unique_ptr<PlSmbMessagingClient> client_;
};

std::string Text(std::size_t length)
{
    std::string text;
    for (std::size_t i = 0; i < length; ++i)
        text += static_cast<char>('a' + i % 26);
    return text;
}

void BM_PersonalMessage(benchmark::State& state)
{
    Counter counter;
    Station receiver(HostConfig(kReceiverHost, kSenderHost, "BENCHRECV"), "RECEIVER", &counter);
    Station sender(HostConfig(kSenderHost, kReceiverHost, "BENCHSEND"), "SENDER", nullptr);
    const CMsg msg{kPersonalMessage, "BENCHRECV", "SENDER", "BENCHRECV",
                   Text(static_cast<std::size_t>(state.range(0)))};
    sender.Client().Send(msg);  // resolves and caches the receiver's name
    for (auto _ : state)
        sender.Client().Send(msg);
    state.counters["messages/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PersonalMessage)->Arg(46)->Arg(1600)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The same number of round trips with the same payload sizes on plain TCP:
// connect, one request and reply per PDU, close.
class RawServer {
public:
    RawServer()
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(kRawHost);
        address.sin_port = htons(static_cast<std::uint16_t>(BasePort() + 3));
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 64);
        thread_ = std::thread([this] { Serve(); });
    }
    ~RawServer()
    {
        stop_ = true;
        ::shutdown(listener_, SHUT_RDWR);
        ::close(listener_);
        thread_.join();
    }

private:
    void Serve()
    {
        std::vector<char> buffer(2048);
        while (!stop_) {
            const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            const int on = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            while (::recv(fd, buffer.data(), buffer.size(), 0) > 0)
                ::send(fd, buffer.data(), 35, MSG_NOSIGNAL);  // an SMB reply's size
            ::close(fd);
        }
    }

    int listener_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

void BM_RawTcpExchange(benchmark::State& state)
{
    RawServer server;
    const int blocks = static_cast<int>(state.range(0));
    const std::vector<char> request(static_cast<std::size_t>(blocks == 1 ? 46 : 170), 'x');
    char reply[64];
    for (auto _ : state) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(kRawHost);
        address.sin_port = htons(static_cast<std::uint16_t>(BasePort() + 3));
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        // Session request and response, then one round trip per PDU.
        for (int i = 0; i < 1 + blocks; ++i) {
            ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
            ::recv(fd, reply, sizeof reply, 0);
        }
        ::close(fd);
    }
    state.counters["messages/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
// 1 PDU for a single block; start, 13 text blocks and end for 1600 characters.
BENCHMARK(BM_RawTcpExchange)->Arg(1)->Arg(15)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
