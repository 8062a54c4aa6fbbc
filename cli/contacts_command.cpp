// parlino-cli contacts: prints the contact tree of a contacts file, groups
// sorted with their members; --poll first asks the network once which
// contacts answer, as the messenger's contact list does.

#include "cli/cli_commands.h"
#include "cli/messenger_session.h"

#include "archive/pl_contacts_manager.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>

namespace pl::cli {

namespace {

constexpr const char* kContactsHelp = "usage: parlino-cli contacts FILE [--poll]\n"
                                      "  prints the groups and members of a contacts file (contacts.txt), sorted\n"
                                      "  as the contact list shows them, with each member's type and network name.\n"
                                      "  --poll asks once which users and computers answer on the network and\n"
                                      "  marks them available (domains and workgroups are not polled here).\n";

const char* TypeWord(std::int32_t type)
{
    return type == kContactUser ? "user or computer" : "domain or workgroup";
}

void PrintTree(PlContactsManager& manager, bool polled)
{
    for (const PlContactGroupCopy& group : manager.Tree()) {
        std::printf("%s %s\n", group.open ? "[-]" : "[+]", group.name.empty() ? "(no group)" : group.name.c_str());
        for (const PlContactItem& member : group.members) {
            std::printf("    %s  <%s>  %s", member.record.displayName.c_str(), member.record.realName.c_str(),
                TypeWord(member.record.type));
            if (polled && member.record.type == kContactUser)
                std::printf("  %s", member.available ? "available" : "not available");
            std::printf("\n");
        }
    }
}

} // namespace

int ContactsCommand(std::span<const std::string> args)
{
    std::string path;
    bool poll = false;
    for (const std::string& word : args) {
        if (word == "--help" || word == "-h") {
            std::fputs(kContactsHelp, stdout);
            return kExitOk;
        }
        if (word == "--poll") {
            poll = true;
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
        PrintTree(manager, false);
        return kExitOk;
    }
    std::unique_ptr<MessengerSession> session;
    try {
        session = std::make_unique<MessengerSession>(true);
    } catch (...) {
        ReportProviderFailure("contacts");
        return kExitFailure;
    }
    {
        std::lock_guard lock(session->Network().Lock());
        session->Network().Rebuild();
    }
    manager.SetNetwork(&session->Network());
    manager.Poll();
    PrintTree(manager, true);
    return kExitOk;
}

} // namespace pl::cli
