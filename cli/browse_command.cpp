// parlino-cli browse: prints the LAN browser's tree of workgroups, domains and
// computers, learnt from the browser announcements heard on the LAN, and with
// --search the recipients a search finds, as they arrive. It runs a full
// provider (it must hear the announcements on the datagram port), so it
// cannot run beside a messenger that holds the same addresses.

#include "app/core/pl_messenger_network.h"
#include "cli/cli_commands.h"
#include "cli/provider_failure.h"
#include "platform/sync/pl_event.h"
#include "transport/browser/pl_network_browser.h"

#include <charconv>
#include <iostream>
#include <mutex>
#include <optional>

namespace pl::cli {

namespace {

constexpr int kDefaultWaitSeconds = 5;
constexpr int kMaxWaitSeconds = 3600;

struct BrowseOptions {
    int waitSeconds = kDefaultWaitSeconds;
    bool search = false;
};

// With an empty `what` the help asked for, on standard output.
int BrowseUsage(const std::string& what)
{
    std::ostream& out = what.empty() ? std::cout : std::cerr;
    if (!what.empty())
        out << "browse: " << what << "\n";
    out << "usage: parlino-cli browse [--wait SECONDS] [--search]\n"
        << "  asks the workgroup to announce itself, listens for SECONDS (default 5) and\n"
        << "  prints the workgroups and computers heard; --search then asks every computer\n"
        << "  for its messenger names and prints each recipient as it is found.\n"
        << "  It binds the NetBIOS ports, so it does not run beside a messenger.\n"
        << "exit status: 0 success, 1 the NetBIOS ports or the configuration could not\n"
        << "  be used, 2 bad arguments\n";
    return what.empty() ? kExitOk : kExitUsage;
}

std::optional<BrowseOptions> ParseBrowseOptions(std::span<const std::string> args, std::string& error)
{
    BrowseOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            error.clear();
            return std::nullopt;
        }
        if (args[i] == "--search") {
            options.search = true;
        } else if (args[i] == "--wait" && i + 1 < args.size()) {
            const std::string& text = args[++i];
            const auto [end, code] = std::from_chars(text.data(), text.data() + text.size(), options.waitSeconds);
            if (code != std::errc() || end != text.data() + text.size() || options.waitSeconds < 0 ||
                options.waitSeconds > kMaxWaitSeconds) {
                error = "--wait needs a number of seconds from 0 to 3600";
                return std::nullopt;
            }
        } else {
            error = args[i] == "--wait" ? "--wait needs a number of seconds" : "unknown argument \"" + args[i] + "\"";
            return std::nullopt;
        }
    }
    return options;
}

void PrintTree(const PlBrowseNode& node, int depth)
{
    for (std::size_t i = 0; i < node.ChildCount(); ++i) {
        const PlNetResourceInfo& info = node.Child(i).Info();
        std::cout << std::string(static_cast<std::size_t>(depth) * 4, ' ') << info.name
                  << (info.kind == kResourceDomain ? "  (workgroup or domain)" : "");
        if (!info.comment.empty())
            std::cout << "  \"" << info.comment << "\"";
        std::cout << "\n";
        PrintTree(node.Child(i), depth + 1);
    }
}

std::size_t CountComputers(const PlBrowseNode& node)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < node.ChildCount(); ++i)
        count += node.Child(i).Info().kind == kResourceComputer ? 1 : CountComputers(node.Child(i));
    return count;
}

// Prints the search records as they arrive, with a progress line per computer.
class SearchPrinter {
public:
    explicit SearchPrinter(std::size_t computers) : computers_(computers) {}

    // By value: the result functors hand every record over as a copy.
    void OnResult(PlNetResourceInfo info)  // NOLINT(performance-unnecessary-value-param)
    {
        std::lock_guard lock(mutex_);
        if (info.kind == kResourceDomain) {
            std::cout << "workgroup " << info.name << "\n";
        } else {
            if (info.computer != lastComputer_) {
                lastComputer_ = info.computer;
                std::cerr << "progress: " << ++searched_ << " of " << computers_ << " computers\n";
            }
            std::cout << "recipient " << info.name << " on " << info.computer << " in " << info.domain
                      << (info.flag == 0 ? " (no messenger names found)" : "") << "\n";
        }
        std::cout.flush();
    }
    void OnFinished() { finished_.Set(); }
    void Wait() { finished_.Wait(PlEvent::kInfinite); }

private:
    std::mutex mutex_;
    std::size_t computers_;
    std::size_t searched_ = 0;
    std::string lastComputer_;
    PlEvent finished_{PlEvent::Reset::Manual};
};

}  // namespace

int BrowseCommand(std::span<const std::string> args)
{
    std::string error;
    const auto options = ParseBrowseOptions(args, error);
    if (!options)
        return BrowseUsage(error);
    std::unique_ptr<PlMessengerNetwork> session;
    try {
        session = std::make_unique<PlMessengerNetwork>(false);
    } catch (...) {
        ReportProviderFailure("browse");
        return kExitFailure;
    }
    // The provider asked the workgroup to announce when it started.
    PlEvent wait;
    wait.Wait(options->waitSeconds * 1000);
    {
        std::lock_guard lock(session->Network().Lock());
        session->Network().Rebuild();
    }
    PlNetworkBrowser browser(*session->Enumeration());
    browser.SetNetwork(&session->Network());
    browser.Refresh();
    const auto tree = browser.TreeCopy();
    PrintTree(*tree, 0);
    if (!options->search)
        return kExitOk;
    SearchPrinter printer(CountComputers(*tree));
    PlVoidUnaryMemberFunction<SearchPrinter, PlNetResourceInfo> result(&printer, &SearchPrinter::OnResult);
    PlVoidNullaryMemberFunction<SearchPrinter> finished(&printer, &SearchPrinter::OnFinished);
    browser.Search(&result, &finished);
    printer.Wait();
    return kExitOk;
}

}  // namespace pl::cli
