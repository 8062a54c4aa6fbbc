#include "platform/netbios/netbt_config.h"

#include "platform/identity/pl_computer_name.h"
#include "platform/text/pl_codepage.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace pl::nb {

namespace {

std::string_view Trim(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::string_view StripComment(std::string_view line)
{
    const auto pos = line.find_first_of("#;");
    return pos == std::string_view::npos ? line : line.substr(0, pos);
}

std::vector<std::string> SplitList(std::string_view value)
{
    std::vector<std::string> items;
    while (!value.empty()) {
        const auto comma = value.find(',');
        const auto item = Trim(value.substr(0, comma));
        if (!item.empty())
            items.emplace_back(item);
        if (comma == std::string_view::npos)
            break;
        value.remove_prefix(comma + 1);
    }
    return items;
}

class LineParser {
public:
    LineParser(const std::string& source, int line) : source_(source), line_(line) {}

    [[noreturn]] void Fail(const std::string& what) const
    {
        throw PlNetbtConfigErr(source_ + ":" + std::to_string(line_) + ": " + what);
    }

    std::uint16_t Port(std::string_view key, std::string_view value) const
    {
        unsigned port = 0;
        const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), port);
        if (ec != std::errc() || end != value.data() + value.size() || port == 0 || port > 65535)
            Fail(std::string(key) + " must be a port number from 1 to 65535");
        return static_cast<std::uint16_t>(port);
    }

    std::chrono::seconds Seconds(std::string_view key, std::string_view value) const
    {
        unsigned seconds = 0;
        const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), seconds);
        if (ec != std::errc() || end != value.data() + value.size() || seconds > 86400)
            Fail(std::string(key) + " must be a number of seconds from 0 to 86400");
        return std::chrono::seconds(seconds);
    }

    std::uint32_t Address(std::string_view key, std::string_view value) const
    {
        const auto address = ParseIpv4(value);
        if (!address)
            Fail(std::string(key) + ": \"" + std::string(value) + "\" is not an IPv4 address");
        return *address;
    }

    void Apply(NetbtConfig& config, std::string_view key, std::string_view value) const
    {
        if (key == "interfaces") {
            config.interfaces = SplitList(value);
        } else if (key == "netbios_name") {
            if (value.empty())
                Fail("netbios_name must not be empty");
            config.netbiosName = value;
        } else if (key == "workgroup") {
            config.workgroup = value;
        } else if (key == "name_port") {
            config.namePort = Port(key, value);
        } else if (key == "datagram_port") {
            config.datagramPort = Port(key, value);
        } else if (key == "session_port") {
            config.sessionPort = Port(key, value);
        } else if (key == "session_idle_timeout") {
            config.sessionIdleTimeout = Seconds(key, value);
        } else if (key == "wins_server") {
            config.winsServer = Address(key, value);
        } else if (key == "lmhosts") {
            config.lmhosts = value;
        } else if (key == "oem_codepage") {
            config.oemCodepage = value;
        } else if (key == "broadcast_targets") {
            config.broadcastTargets.clear();
            for (const std::string& item : SplitList(value))
                config.broadcastTargets.push_back(Address(key, item));
        } else {
            Fail("unknown key \"" + std::string(key) + "\"");
        }
    }

private:
    const std::string& source_;
    int line_;
};

}  // namespace

std::optional<std::uint32_t> ParseIpv4(std::string_view text)
{
    const std::string copy(text);
    in_addr address{};
    if (inet_pton(AF_INET, copy.c_str(), &address) != 1)
        return std::nullopt;
    return ntohl(address.s_addr);
}

std::string Ipv4Text(std::uint32_t address)
{
    return std::to_string(address >> 24) + "." + std::to_string(address >> 16 & 0xFF) + "." +
           std::to_string(address >> 8 & 0xFF) + "." + std::to_string(address & 0xFF);
}

NetbtConfig ParseNetbtConfig(std::string_view text, const std::string& source)
{
    NetbtConfig config;
    bool inSection = false;
    int number = 0;
    std::istringstream stream{std::string(text)};
    for (std::string raw; std::getline(stream, raw);) {
        const LineParser parser(source, ++number);
        const std::string_view line = Trim(StripComment(raw));
        if (line.empty())
            continue;
        if (line.front() == '[') {
            if (line != "[netbt]")
                parser.Fail("unknown section " + std::string(line) + " (only [netbt] is known)");
            inSection = true;
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string_view::npos)
            parser.Fail("expected key = value");
        if (!inSection)
            parser.Fail("key outside the [netbt] section");
        parser.Apply(config, Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)));
    }
    return config;
}

NetbtConfig LoadNetbtConfig()
{
    const char* env = std::getenv("PARLINO_NETBT_CONF");
    const bool named = env != nullptr && *env != '\0';
    const std::string path = named ? env : kDefaultNetbtConfPath;
    std::ifstream file(path);
    if (!file) {
        const int error = errno;
        // The system file is optional; a file the user named must be there,
        // or the defaults would run the provider on every real interface.
        if (error == ENOENT && !named)
            return NetbtConfig{};
        if (error == ENOENT)
            throw PlNetbtConfigErr(path + ": no such file (named by PARLINO_NETBT_CONF)");
        throw PlNetbtConfigErr(path + ": cannot be read: " + std::strerror(error));
    }
    std::ostringstream text;
    text << file.rdbuf();
    return ParseNetbtConfig(text.str(), path);
}

std::string EffectiveNetbiosName(const NetbtConfig& config)
{
    return LocalComputerName(config.netbiosName, config.oemCodepage.empty() ? OemCodePage() : config.oemCodepage);
}

}  // namespace pl::nb
