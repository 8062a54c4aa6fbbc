// parlino-cli nbtstat: the adapters, the local name table (-n), the remote
// name cache (-c) and the name table of a remote computer by name (-a) or by
// address (-A), laid out as the classic nbtstat tool does.
//
// The tool runs a query-only provider on the configured interfaces, so it
// works beside a running messenger: the local name table is the node status
// that the interface's own address answers.

#include "cli/cli_commands.h"

#include "platform/netbios/nb30.h"
#include "platform/netbios/nb_socket.h"
#include "platform/netbios/pl_netbios_provider.h"
#include "platform/text/pl_case.h"
#include "platform/text/pl_codepage.h"
#include "platform/text/pl_netbios_name.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <vector>

namespace pl::cli {

namespace {

using pl::nb::PlNetbiosProvider;

constexpr std::size_t kStatusBuffer = sizeof(ADAPTER_STATUS) + 255 * sizeof(NAME_BUFFER);

struct Options {
    bool localNames = false;
    bool cache = false;
    std::optional<std::string> remoteName;
    std::optional<std::string> remoteAddress;
};

constexpr const char* kNbtstatHelp =
    "usage: parlino-cli nbtstat [-n] [-c] [-a NAME] [-A ADDRESS]\n"
    "  without options: the adapters (LANA number, interface, IPv4 address)\n"
    "  -n          the names registered on each adapter of this computer\n"
    "  -c          the remote names this tool resolved, with their addresses\n"
    "  -a NAME     the name table of the computer NAME\n"
    "  -A ADDRESS  the name table of the computer at the IPv4 ADDRESS\n"
    "exit status: 0 success, 1 no adapter is up, the configuration or the network\n"
    "  could not be used, or a computer did not answer; 2 bad arguments\n";

int UsageError(const std::string& what)
{
    std::cerr << "nbtstat: " << what << "\n" << kNbtstatHelp;
    return kExitUsage;
}

std::optional<Options> ParseOptions(std::span<const std::string> args, std::string& error)
{
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            error.clear();
            return std::nullopt;
        }
        if (arg == "-n") {
            options.localNames = true;
        } else if (arg == "-c") {
            options.cache = true;
        } else if (arg == "-a" || arg == "-A") {
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return std::nullopt;
            }
            (arg == "-a" ? options.remoteName : options.remoteAddress) = args[++i];
        } else {
            error = "unknown option \"" + arg + "\"";
            return std::nullopt;
        }
    }
    return options;
}

// The 15 name bytes in the OEM code page, shown in UTF-8 and padded to 15
// columns, then the suffix.
std::string NameColumn(const std::uint8_t* name)
{
    std::string oem;
    for (int i = 0; i < 15; ++i)
        oem += name[i] >= 0x20 && name[i] != 0x7F ? static_cast<char>(name[i]) : '.';
    std::string text = OemToAnsi(oem);
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, "<%02X>", name[15]);
    return text + suffix;
}

void PrintAdapterHeader(const PlNetbiosProvider::Adapter& adapter)
{
    std::cout << "\n"
              << adapter.interfaceName << ":\nNode IpAddress: [" << pl::nb::Ipv4Text(adapter.address)
              << "] Scope Id: []\n\n";
}

const char* StatusText(std::uint8_t flags)
{
    switch (flags & 0x07) {
    case REGISTERING: return "Registering";
    case DEREGISTERED: return "Deregistered";
    case DUPLICATE:
    case DUPLICATE_DEREG: return "Conflict";
    default: return "Registered";
    }
}

void PrintNameTable(const char* title, const std::vector<std::uint8_t>& buffer)
{
    ADAPTER_STATUS status{};
    std::memcpy(&status, buffer.data(), sizeof status);
    std::cout << "           " << title << "\n\n"
              << "       Name               Type         Status\n"
              << "    ---------------------------------------------\n";
    for (std::size_t i = 0; i < status.name_count; ++i) {
        NAME_BUFFER entry{};
        std::memcpy(&entry, buffer.data() + sizeof status + i * sizeof entry, sizeof entry);
        char line[96];
        std::snprintf(line, sizeof line, "    %s  %-10s  %s\n", NameColumn(entry.name).c_str(),
                      (entry.name_flags & GROUP_NAME) != 0 ? "GROUP" : "UNIQUE", StatusText(entry.name_flags));
        std::cout << line;
    }
    char mac[64];
    std::snprintf(mac, sizeof mac, "\n    MAC Address = %02X-%02X-%02X-%02X-%02X-%02X\n\n", status.adapter_address[0],
                  status.adapter_address[1], status.adapter_address[2], status.adapter_address[3],
                  status.adapter_address[4], status.adapter_address[5]);
    std::cout << mac;
}

const char* RemoteError(std::uint8_t code)
{
    switch (code) {
    case NRC_NOCALL: return "Host not found.";
    case NRC_CMDTMO: return "Host did not answer.";
    default: return "The query failed.";
    }
}

// Asks every adapter in turn until one answers; the first answer is printed.
int PrintRemote(PlNetbiosProvider& provider, const Options& options)
{
    int failures = 0;
    for (const auto& adapter : provider.Adapters()) {
        PrintAdapterHeader(adapter);
        std::vector<std::uint8_t> buffer(kStatusBuffer);
        std::uint16_t length = 0;
        std::uint8_t code = NRC_GOODRET;
        if (options.remoteAddress) {
            const auto address = pl::nb::ParseIpv4(*options.remoteAddress);
            code = provider.NodeStatusByAddress(adapter.lana, *address, buffer, length);
        } else {
            NCB ncb{};
            ncb.ncb_command = NCBASTAT;
            ncb.ncb_lana_num = adapter.lana;
            const auto name = MakeNetbiosName(UpperCase(*options.remoteName), 0x00);
            std::memcpy(ncb.ncb_callname, name.data(), name.size());
            ncb.ncb_buffer = buffer.data();
            ncb.ncb_length = static_cast<std::uint16_t>(buffer.size());
            code = provider.Netbios(&ncb);
        }
        if (code == NRC_GOODRET || code == NRC_INCOMP) {
            PrintNameTable("NetBIOS Remote Machine Name Table", buffer);
            return 0;
        }
        std::cout << "    " << RemoteError(code) << "\n";
        ++failures;
    }
    return failures > 0 ? 1 : 0;
}

int PrintLocal(PlNetbiosProvider& provider)
{
    int status = 0;
    for (const auto& adapter : provider.Adapters()) {
        PrintAdapterHeader(adapter);
        std::vector<std::uint8_t> buffer(kStatusBuffer);
        std::uint16_t length = 0;
        const std::uint8_t code = provider.NodeStatusByAddress(adapter.lana, adapter.address, buffer, length);
        if (code == NRC_GOODRET || code == NRC_INCOMP) {
            PrintNameTable("NetBIOS Local Name Table", buffer);
        } else {
            std::cout << "    No names registered: no NetBIOS provider answers on this address.\n";
            status = 1;
        }
    }
    return status;
}

void PrintCache(PlNetbiosProvider& provider)
{
    for (const auto& adapter : provider.Adapters()) {
        PrintAdapterHeader(adapter);
        const auto names = provider.CachedNames(adapter.lana);
        if (names.empty()) {
            std::cout << "    No names in cache\n";
            continue;
        }
        std::cout << "                  NetBIOS Remote Cache Name Table\n\n"
                  << "        Name              Type       Host Address    Life [sec]\n"
                  << "    ------------------------------------------------------------\n";
        for (const auto& entry : names) {
            char line[128];
            std::snprintf(line, sizeof line, "    %s  %-8s %16s %9lld\n", NameColumn(entry.name.data()).c_str(),
                          entry.group ? "GROUP" : "UNIQUE", pl::nb::Ipv4Text(entry.address).c_str(),
                          static_cast<long long>(entry.remaining.count()));
            std::cout << line;
        }
    }
}

void PrintAdapters(PlNetbiosProvider& provider)
{
    std::cout << "Lana  Interface        IpAddress\n";
    for (const auto& adapter : provider.Adapters()) {
        char line[96];
        std::snprintf(line, sizeof line, "%4u  %-16s %s\n", adapter.lana, adapter.interfaceName.c_str(),
                      pl::nb::Ipv4Text(adapter.address).c_str());
        std::cout << line;
    }
}

}  // namespace

int NbtstatCommand(std::span<const std::string> args)
{
    std::string error;
    const auto options = ParseOptions(args, error);
    if (!options && error.empty()) {
        std::cout << kNbtstatHelp;
        return kExitOk;
    }
    if (!options)
        return UsageError(error);
    if (options->remoteAddress && !pl::nb::ParseIpv4(*options->remoteAddress))
        return UsageError("\"" + *options->remoteAddress + "\" is not an IPv4 address");
    if (options->remoteName && (options->remoteName->empty() || options->remoteName->size() > 15))
        return UsageError("a computer name has 1 to 15 characters");
    try {
        PlNetbiosProvider provider(pl::nb::LoadNetbtConfig(), pl::nb::SystemNetbiosClock(), true);
        if (provider.Adapters().empty()) {
            std::cerr << "nbtstat: no network interface for NetBIOS is up\n";
            return 1;
        }
        int status = 0;
        if (options->remoteName || options->remoteAddress)
            status |= PrintRemote(provider, *options);
        if (options->localNames)
            status |= PrintLocal(provider);
        if (options->cache)
            PrintCache(provider);
        if (!options->localNames && !options->cache && !options->remoteName && !options->remoteAddress)
            PrintAdapters(provider);
        return status;
    } catch (const pl::nb::PlNetbtConfigErr& failure) {
        std::cerr << "nbtstat: configuration: " << failure.Text() << "\n";
    } catch (const pl::nb::PlNetbiosSocketErr& failure) {
        std::cerr << "nbtstat: " << failure.Text() << "\n";
    }
    return 1;
}

}  // namespace pl::cli
