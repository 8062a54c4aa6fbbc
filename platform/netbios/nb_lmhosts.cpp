#include "platform/netbios/nb_lmhosts.h"

#include "platform/netbios/netbt_config.h"
#include "platform/text/pl_case.h"

#include <cstring>
#include <fstream>
#include <sstream>

namespace pl::nb {

namespace {

constexpr std::size_t kNameBytes = 15;

[[noreturn]] void Fail(const std::string& source, int line, const std::string& what)
{
    throw PlNetbtConfigErr(source + ":" + std::to_string(line) + ": " + what);
}

// Reads the name field: plain, or quoted with an optional \0xNN suffix.
LmhostsEntry ReadName(std::istringstream& fields, const std::string& source, int line)
{
    LmhostsEntry entry;
    std::string token;
    fields >> std::ws;
    if (fields.peek() == '"') {
        fields.get();
        std::getline(fields, token, '"');
        const auto escape = token.find("\\0x");
        if (escape != std::string::npos) {
            const std::string hex = token.substr(escape + 3);
            char* end = nullptr;
            const unsigned long value = std::strtoul(hex.c_str(), &end, 16);
            if (hex.empty() || *end != '\0' || value > 0xFF)
                Fail(source, line, "bad suffix in \"" + token + "\"");
            entry.suffix = static_cast<std::uint8_t>(value);
            token.resize(escape);
        }
        while (!token.empty() && token.back() == ' ')
            token.pop_back();
    } else {
        fields >> token;
    }
    if (token.empty() || token.size() > kNameBytes)
        Fail(source, line, "name must have 1 to 15 characters");
    entry.name = UpperCase(token);
    return entry;
}

}  // namespace

std::vector<LmhostsEntry> ParseLmhosts(std::string_view text, const std::string& source)
{
    std::vector<LmhostsEntry> entries;
    std::istringstream stream{std::string(text)};
    int number = 0;
    for (std::string line; std::getline(stream, line);) {
        ++number;
        const auto first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#')
            continue;
        std::istringstream fields(line);
        std::string addressText;
        fields >> addressText;
        const auto address = ParseIpv4(addressText);
        if (!address)
            Fail(source, number, "\"" + addressText + "\" is not an IPv4 address");
        LmhostsEntry entry = ReadName(fields, source, number);
        entry.address = *address;
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<LmhostsEntry> LoadLmhosts(const std::string& path)
{
    std::ifstream file(path);
    if (!file)
        throw PlNetbtConfigErr(path + ": cannot be read: " + std::strerror(errno));
    std::ostringstream text;
    text << file.rdbuf();
    return ParseLmhosts(text.str(), path);
}

std::optional<std::uint32_t> LookupLmhosts(const std::vector<LmhostsEntry>& entries, const NetbiosNameBytes& name)
{
    for (const LmhostsEntry& entry : entries) {
        NetbiosNameBytes padded;
        padded.fill(' ');
        std::memcpy(padded.data(), entry.name.data(), std::min(entry.name.size(), kNameBytes));
        if (std::memcmp(padded.data(), name.data(), kNameBytes) != 0)
            continue;
        if (!entry.suffix || *entry.suffix == name[kNameBytes])
            return entry.address;
    }
    return std::nullopt;
}

}  // namespace pl::nb
