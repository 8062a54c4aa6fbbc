#include "instlib/inst_netbt_file.h"

#include "instlib/inst_system_root.h"
#include "instlib/inst_text_file.h"
#include "platform/config/pl_config_text.h"

#include <arpa/inet.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

namespace pl::inst {

namespace {

struct Line {
    std::string_view text;
    std::string_view ending;
};

std::string_view WithoutComment(std::string_view line)
{
    return line.substr(0, line.find_first_of("#;"));
}

bool IsSectionHeader(std::string_view line)
{
    return TrimBlanks(WithoutComment(line)).starts_with('[');
}

// The value of a key = value line, without its comment.
std::string_view ValueOf(std::string_view line)
{
    const std::string_view body = WithoutComment(line);
    return body.substr(body.find('=') + 1);
}

bool IsInterfacesLine(std::string_view line)
{
    const std::string_view body = WithoutComment(line);
    const std::size_t equals = body.find('=');
    return equals != std::string_view::npos && TrimBlanks(body.substr(0, equals)) == "interfaces";
}

std::string AddressText(std::uint32_t address)
{
    char text[INET_ADDRSTRLEN] = {};
    const in_addr network{htonl(address)};
    ::inet_ntop(AF_INET, &network, text, sizeof text);
    return text;
}

bool ListNames(std::string_view list, std::string_view name, const std::vector<std::uint32_t>& addresses)
{
    for (;;) {
        const std::size_t comma = list.find(',');
        const std::string_view item = TrimBlanks(list.substr(0, comma));
        if (item == name)
            return true;
        for (std::uint32_t address : addresses)
            if (item == AddressText(address))
                return true;
        if (comma == std::string_view::npos)
            return false;
        list.remove_prefix(comma + 1);
    }
}

// The interfaces line with `name` appended to its list, the spacing before
// a trailing comment kept.
std::string ExtendedLine(std::string_view line, std::string_view name)
{
    const std::size_t commentAt = std::min(line.find_first_of("#;"), line.size());
    const std::string_view body = line.substr(0, commentAt);
    const std::size_t valueEnd = body.find_last_not_of(" \t") + 1;
    const bool emptyList = TrimBlanks(ValueOf(line)).empty();
    std::string extended(body.substr(0, valueEnd));
    extended += emptyList ? " " : ", ";
    extended += name;
    extended += line.substr(valueEnd);
    return extended;
}

}  // namespace

bool IsListableInterfaceName(std::string_view name)
{
    return !name.empty() && name.find_first_of(",#;=[] \t\r\n") == std::string_view::npos;
}

std::optional<std::string> AddNetbtInterface(std::string_view text, std::string_view name,
                                             const std::vector<std::uint32_t>& addresses)
{
    std::vector<Line> lines;
    std::optional<std::size_t> header, interfaces;
    bool inSection = false;
    ForEachRawLine(text, [&](std::string_view line, std::string_view ending) {
        if (IsSectionHeader(line)) {
            inSection = TrimBlanks(WithoutComment(line)) == "[netbt]";
            if (inSection && !header)
                header = lines.size();
        } else if (inSection && IsInterfacesLine(line)) {
            interfaces = lines.size();
        }
        lines.push_back({line, ending});
    });
    if (interfaces && ListNames(ValueOf(lines[*interfaces].text), name, addresses))
        return std::nullopt;
    const std::string newLine = "interfaces = " + std::string(name);
    std::string result;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (interfaces && i == *interfaces) {
            result.append(ExtendedLine(lines[i].text, name)).append(lines[i].ending);
            continue;
        }
        result.append(lines[i].text).append(lines[i].ending);
        if (!interfaces && header && i == *header)
            result.append(lines[i].ending.empty() ? "\n" : "").append(newLine).append("\n");
    }
    if (!header) {
        if (!result.empty() && !result.ends_with('\n'))
            result += '\n';
        result += "[netbt]\n" + newLine + "\n";
    }
    return result;
}

InstResult EnableNetbiosOn(const std::string& name, const std::vector<std::uint32_t>& addresses)
{
    if (!IsListableInterfaceName(name))
        return InstResult::Failed;
    const std::string file = InSystemRoot(kNetbtConfFile);
    const TextFile current = ReadTextFile(file);
    if (current.result != InstResult::Success)
        return current.result;
    const std::optional<std::string> edited = AddNetbtInterface(current.text, name, addresses);
    if (!edited)
        return InstResult::Success;
    // Every user's messenger reads the file: its folder must be open to them.
    const std::string folder = InSystemRoot("/etc/parlino");
    if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST)
        return ResultForErrno(errno);
    return ReplaceTextFile(file, *edited, 0644);
}

}  // namespace pl::inst
