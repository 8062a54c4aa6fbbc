// One messenger exchange over a NetBIOS session on loopback (call, send 46
// bytes, receive the reply, hang up; the called name already cached) against
// the same exchange on a raw TCP connection in the same run.
//
// Each reports, per exchange, `switches`: the context switches of all its
// threads (each one a thread that slept and was woken), the measure of the
// hand-overs that cost an idle core's wake-up; and `process_cpu_us`: the CPU
// time of all its threads, which shows what polling before a sleep costs.
//
// Run: build/default/bench/platform/bench_netbios_session

#include "platform/netbios/nb30.h"
#include "platform/netbios/pl_netbios_provider.h"
#include "platform/sync/pl_event.h"
#include "platform/text/pl_netbios_name.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using pl::nb::NetbtConfig;
using pl::nb::PlNetbiosProvider;

constexpr std::size_t kMessage = 46;
constexpr std::uint32_t kClientHost = 0x7F000000u | 71;
constexpr std::uint32_t kServerHost = 0x7F000000u | 72;
constexpr std::uint32_t kRawHost = 0x7F000000u | 73;

std::uint16_t BasePort()
{
    return static_cast<std::uint16_t>(24000 + (getpid() % 2500) * 3);
}

NetbtConfig HostConfig(std::uint32_t self, std::uint32_t other)
{
    NetbtConfig config;
    config.interfaces = {pl::nb::Ipv4Text(self)};
    config.namePort = BasePort();
    config.datagramPort = static_cast<std::uint16_t>(BasePort() + 1);
    config.sessionPort = static_cast<std::uint16_t>(BasePort() + 2);
    config.broadcastTargets = {other};
    config.oemCodepage = "CP850";
    return config;
}

void SetName(std::uint8_t (&field)[16], const char* name)
{
    const auto form = pl::MakeNetbiosName(name, 0x03, "CP850");
    std::memcpy(field, form.data(), form.size());
}

// Context switches and CPU time of the whole process so far.
struct ProcessUsage {
    double switches = 0;
    double cpuMicroseconds = 0;
};

ProcessUsage Usage()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto micros = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_usec);
    };
    return {static_cast<double>(usage.ru_nvcsw + usage.ru_nivcsw), micros(usage.ru_utime) + micros(usage.ru_stime)};
}

void ReportUsage(benchmark::State& state, const ProcessUsage& before)
{
    const ProcessUsage after = Usage();
    state.counters["switches"] =
        benchmark::Counter(after.switches - before.switches, benchmark::Counter::kAvgIterations);
    state.counters["process_cpu_us"] =
        benchmark::Counter(after.cpuMicroseconds - before.cpuMicroseconds, benchmark::Counter::kAvgIterations);
}

std::uint8_t Simple(PlNetbiosProvider& host, std::uint8_t command, std::uint8_t lsn, std::uint8_t* buffer,
                    std::uint16_t& length)
{
    NCB ncb{};
    ncb.ncb_command = command;
    ncb.ncb_lsn = lsn;
    ncb.ncb_buffer = buffer;
    ncb.ncb_length = length;
    const std::uint8_t code = host.Netbios(&ncb);
    length = ncb.ncb_length;
    return code;
}

// The answering side: keeps a listen posted and answers every message once.
class NetbiosEchoServer {
public:
    explicit NetbiosEchoServer(PlNetbiosProvider& host) : host_(host)
    {
        Post(listens_[0]);  // before the first call can come
        thread_ = std::thread([this] {
            pthread_setname_np(pthread_self(), "echo");
            Run();
        });
    }
    ~NetbiosEchoServer()
    {
        stop_ = true;
        NCB cancel{};
        cancel.ncb_command = NCBCANCEL;
        for (auto& listen : listens_)
            if (listen) {
                cancel.ncb_buffer = reinterpret_cast<std::uint8_t*>(&listen->ncb);
                host_.Netbios(&cancel);
            }
        thread_.join();
    }

private:
    struct Listen {
        NCB ncb{};
        PlEvent event;
    };

    void Post(std::unique_ptr<Listen>& listen)
    {
        listen = std::make_unique<Listen>();
        listen->ncb.ncb_command = NCBLISTEN | ASYNCH;
        std::memset(listen->ncb.ncb_callname, ' ', 16);
        listen->ncb.ncb_callname[0] = '*';
        SetName(listen->ncb.ncb_name, "SERVER");
        listen->ncb.ncb_event = &listen->event;
        host_.Netbios(&listen->ncb);
    }

    void Run()
    {
        for (int turn = 0; !stop_; turn ^= 1) {
            listens_[turn]->event.Wait(PlEvent::kInfinite);
            if (listens_[turn]->ncb.ncb_retcode != NRC_GOODRET)
                return;
            const std::uint8_t lsn = listens_[turn]->ncb.ncb_lsn;
            Post(listens_[turn ^ 1]);  // the next caller finds a listen at once
            std::uint8_t buffer[1024];
            std::uint16_t length = sizeof buffer;
            if (Simple(host_, NCBRECV, lsn, buffer, length) == NRC_GOODRET)
                Simple(host_, NCBSEND, lsn, buffer, length);
            length = sizeof buffer;
            Simple(host_, NCBRECV, lsn, buffer, length);  // ends when the caller hangs up
            Simple(host_, NCBHANGUP, lsn, nullptr, length);
        }
    }

    PlNetbiosProvider& host_;
    std::atomic<bool> stop_{false};
    std::unique_ptr<Listen> listens_[2];
    std::thread thread_;
};

void BM_NetbiosExchange(benchmark::State& state)
{
    PlNetbiosProvider client(HostConfig(kClientHost, kServerHost));
    PlNetbiosProvider server(HostConfig(kServerHost, kClientHost));
    for (auto* host : {&client, &server}) {
        NCB add{};
        add.ncb_command = NCBADDNAME;
        SetName(add.ncb_name, host == &client ? "CALLER" : "SERVER");
        if (host->Netbios(&add) != NRC_GOODRET)
            return state.SkipWithError("cannot register the names");
    }
    NetbiosEchoServer echo(server);
    std::uint8_t message[kMessage];
    std::memset(message, 'm', sizeof message);
    std::uint8_t reply[1024];
    // The names are converted once: the exchange is measured, not the code page.
    NCB callTemplate{};
    callTemplate.ncb_command = NCBCALL;
    SetName(callTemplate.ncb_name, "CALLER");
    SetName(callTemplate.ncb_callname, "SERVER");
    const ProcessUsage before = Usage();
    for (auto _ : state) {
        NCB call = callTemplate;
        if (const std::uint8_t code = client.Netbios(&call); code != NRC_GOODRET)
            return state.SkipWithError(("call failed with code " + std::to_string(code)).c_str());
        std::uint16_t length = kMessage;
        Simple(client, NCBSEND, call.ncb_lsn, message, length);
        length = sizeof reply;
        if (Simple(client, NCBRECV, call.ncb_lsn, reply, length) != NRC_GOODRET || length != kMessage)
            return state.SkipWithError("no reply");
        Simple(client, NCBHANGUP, call.ncb_lsn, nullptr, length);
    }
    ReportUsage(state, before);
}
BENCHMARK(BM_NetbiosExchange)->UseRealTime()->MinTime(2.0);

sockaddr_in RawAddress()
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(kRawHost);
    sa.sin_port = htons(static_cast<std::uint16_t>(BasePort() + 2));
    return sa;
}

void BM_RawTcpExchange(benchmark::State& state)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    const sockaddr_in address = RawAddress();
    if (::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 64) != 0)
        return state.SkipWithError("cannot listen");
    std::atomic<bool> stop{false};
    std::thread server([&] {
        while (!stop) {
            const int fd = ::accept(listener, nullptr, nullptr);
            if (fd < 0)
                return;
            std::uint8_t buffer[1024];
            const ssize_t size = ::recv(fd, buffer, sizeof buffer, 0);
            if (size > 0)
                ::send(fd, buffer, static_cast<std::size_t>(size), MSG_NOSIGNAL);
            ::recv(fd, buffer, sizeof buffer, 0);  // until the caller closes
            ::close(fd);
        }
    });
    std::uint8_t message[kMessage];
    std::memset(message, 'm', sizeof message);
    std::uint8_t reply[1024];
    const ProcessUsage before = Usage();
    for (auto _ : state) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
            return state.SkipWithError("connect failed");
        ::send(fd, message, sizeof message, MSG_NOSIGNAL);
        ::recv(fd, reply, sizeof reply, 0);
        ::close(fd);
    }
    ReportUsage(state, before);
    stop = true;
    ::shutdown(listener, SHUT_RDWR);
    server.join();
    ::close(listener);
}
BENCHMARK(BM_RawTcpExchange)->UseRealTime()->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
