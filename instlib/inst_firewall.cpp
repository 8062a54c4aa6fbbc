#include "instlib/inst_firewall.h"

#include "instlib/inst_capability.h"

#include <cerrno>
#include <vector>

namespace pl::inst {

namespace {

std::string TableAndChain()
{
    return "inet " + std::string(kFirewallTable) + " " + std::string(kFirewallChain);
}

ProcessResult Nft(const std::vector<std::string>& arguments, const std::string& script = {})
{
    std::vector<std::string> argv{ToolPath("PARLINO_NFT", "nft")};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return RunProcess(argv, script);
}

// The result of a step that may only be refused or fail.
InstResult RefusedOrFailed(const ProcessResult& result)
{
    return ResultForNft(result) == InstResult::AccessDenied ? InstResult::AccessDenied : InstResult::Failed;
}

std::string AddRuleCommand(const FirewallPort& port)
{
    return "add rule " + TableAndChain() + " " + std::string(port.protocol) + " dport " + std::to_string(port.port) +
           " accept comment \"" + std::string(port.name) + "\"\n";
}

}  // namespace

InstResult ResultForNft(const ProcessResult& result)
{
    if (result.spawnError != 0)
        return result.spawnError == ENOENT ? InstResult::NotPresent : ResultForErrno(result.spawnError);
    const std::string& text = result.errors;
    if (text.find("Operation not permitted") != std::string::npos ||
        text.find("Permission denied") != std::string::npos)
        return InstResult::AccessDenied;
    if (text.find("Protocol not supported") != std::string::npos ||
        text.find("Address family not supported") != std::string::npos)
        return InstResult::NotPresent;  // a kernel without nf_tables
    return InstResult::Failed;
}

bool ChainOpensPort(std::string_view chainListing, const FirewallPort& port)
{
    const std::string rule = std::string(port.protocol) + " dport " + std::to_string(port.port) + " accept";
    while (!chainListing.empty()) {
        const std::size_t end = chainListing.find('\n');
        std::string_view line = chainListing.substr(0, end);
        chainListing.remove_prefix(end == std::string_view::npos ? chainListing.size() : end + 1);
        const std::size_t text = line.find_first_not_of(" \t");
        if (text == std::string_view::npos)
            continue;
        line.remove_prefix(text);
        if (line.starts_with(rule) && (line.size() == rule.size() || line[rule.size()] == ' '))
            return true;
    }
    return false;
}

InstResult SetupMessengerFirewall(const std::string& applicationName, const std::string& imagePath)
{
    // The firewall must be there and answer.
    const ProcessResult tables = Nft({"list", "tables"});
    if (!tables.Succeeded())
        return ResultForNft(tables);
    // The sharing exception: the table and its accepting chain ("add" leaves
    // existing ones as they are).
    const ProcessResult chain =
        Nft({"-f", "-"}, "add table inet " + std::string(kFirewallTable) + "\nadd chain " + TableAndChain() +
                             " { type filter hook input priority 0; policy accept; }\n");
    if (!chain.Succeeded())
        return RefusedOrFailed(chain);
    static_cast<void>(applicationName);  // a file capability carries no name
    const InstResult authorised = GrantBindCapability(imagePath);
    if (authorised != InstResult::Success)
        return authorised;
    const ProcessResult listing =
        Nft({"list", "chain", "inet", std::string(kFirewallTable), std::string(kFirewallChain)});
    if (!listing.Succeeded())
        return RefusedOrFailed(listing);
    for (const FirewallPort& port : kFirewallPorts) {
        if (ChainOpensPort(listing.output, port))
            continue;
        const ProcessResult added = Nft({"-f", "-"}, AddRuleCommand(port));
        if (!added.Succeeded())
            return RefusedOrFailed(added);
    }
    return InstResult::Success;
}

}  // namespace pl::inst
