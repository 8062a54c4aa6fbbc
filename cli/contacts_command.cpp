// parlino-cli contacts: prints the contact tree of a contacts file, groups
// sorted with their members; --poll first asks the network once which
// contacts answer, as the messenger's contact list does.

#include "app/core/pl_messenger_network.h"
#include "cli/cli_commands.h"
#include "cli/provider_failure.h"

#include "archive/pl_browser_workgroups.h"
#include "archive/pl_contacts_manager.h"
#include "platform/sync/pl_event.h"
#include "transport/browser/pl_network_browser.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

namespace pl::cli {

namespace {

constexpr const char* kContactsHelp =
    "usage: parlino-cli contacts FILE [--poll [--browse SECONDS]]\n"
    "  prints the groups and members of a contacts file (contacts.txt), sorted\n"
    "  as the contact list shows them, with each member's type and network name.\n"
    "  --poll asks once which users and computers answer on the network and\n"
    "  marks them available. With --browse it first listens SECONDS seconds for\n"
    "  the LAN's browser announcements, and a domain or workgroup is available\n"
    "  when the LAN browser lists it (this binds the NetBIOS ports, so it does\n"
    "  not run beside a messenger on the same computer).\n"
    "exit status: 0 success, 1 FILE is not a file or the network could not be\n"
    "  used, 2 bad arguments\n";

bool ParseSeconds(const std::string& text, int& seconds)
{
    if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    seconds = std::stoi(text);
    return true;
}

const char* TypeWord(std::int32_t type)
{
    return type == kContactUser ? "user or computer" : "domain or workgroup";
}

// Availability is shown for what was polled: users and computers, and domains
// and workgroups when the LAN browser was asked too.
void PrintTree(PlContactsManager& manager, bool polled, bool browsed)
{
    for (const PlContactGroupCopy& group : manager.Tree()) {
        std::printf("%s %s\n", group.open ? "[-]" : "[+]", group.name.empty() ? "(no group)" : group.name.c_str());
        for (const PlContactItem& member : group.members) {
            std::printf("    %s  <%s>  %s", member.record.displayName.c_str(), member.record.realName.c_str(),
                        TypeWord(member.record.type));
            if (polled && (member.record.type == kContactUser || browsed))
                std::printf("  %s", member.available ? "available" : "not available");
            std::printf("\n");
        }
    }
}

}  // namespace

int ContactsCommand(std::span<const std::string> args)
{
    std::string path;
    bool poll = false;
    int browseSeconds = -1;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word == "--help" || word == "-h") {
            std::fputs(kContactsHelp, stdout);
            return kExitOk;
        }
        if (word == "--poll") {
            poll = true;
        } else if (word == "--browse" && i + 1 < args.size() && ParseSeconds(args[i + 1], browseSeconds)) {
            ++i;
        } else if (path.empty() && !word.starts_with("--")) {
            path = word;
        } else {
            std::fprintf(stderr, "contacts: unexpected argument \"%s\"\n%s", word.c_str(), kContactsHelp);
            return kExitUsage;
        }
    }
    if (path.empty()) {
        std::fprintf(stderr, "contacts: no FILE given\n%s", kContactsHelp);
        return kExitUsage;
    }
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        std::fprintf(stderr, "contacts: %s is not a file\n", path.c_str());
        return kExitFailure;
    }
    PlContactsDataSet set;
    set.SetPath(path);
    PlContactsManager manager;
    manager.SetDataSet(&set);
    manager.Load(true);
    if (!poll) {
        PrintTree(manager, false, false);
        return kExitOk;
    }
    const bool browse = browseSeconds >= 0;
    std::unique_ptr<PlMessengerNetwork> session;
    try {
        session = std::make_unique<PlMessengerNetwork>(!browse);
    } catch (...) {
        ReportProviderFailure("contacts");
        return kExitFailure;
    }
    {
        std::lock_guard lock(session->Network().Lock());
        session->Network().Rebuild();
    }
    manager.SetNetwork(&session->Network());
    std::unique_ptr<PlNetworkBrowser> browser;
    if (browse) {
        // The provider asked the workgroup to announce when it started.
        PlEvent().Wait(browseSeconds * 1000);
        browser = std::make_unique<PlNetworkBrowser>(*session->Enumeration());
        browser->SetNetwork(&session->Network());
        browser->Refresh();
        manager.SetWorkgroupListed(WorkgroupsListedBy(*browser));
    }
    manager.Poll();
    PrintTree(manager, true, browse);
    return kExitOk;
}

}  // namespace pl::cli
