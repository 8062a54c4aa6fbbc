// parlino-cli listen: registers messenger names on every adapter and prints
// every message that arrives, until SIGINT or SIGTERM; then it releases the
// names and exits. Adapters that come later get the names as well, so it
// also starts (and says so) when no configured interface is up yet.

#include "cli/cli_commands.h"
#include "cli/json_text.h"
#include "cli/provider_failure.h"

#include "app/core/pl_messenger_core.h"
#include "app/shared/pl_program_info.h"
#include "platform/sound/pl_sound_player.h"

#include <csignal>
#include <ctime>
#include <iostream>
#include <mutex>
#include <optional>

namespace pl::cli {

namespace {

struct ListenOptions {
    std::vector<std::string> names;
    bool json = false;
    std::string archive;  // archive file that keeps every message, if given
};

int ListenUsage(const std::string& what)
{
    std::ostream& out = what.empty() ? std::cout : std::cerr;
    if (!what.empty())
        out << "listen: " << what << "\n";
    out << "usage: parlino-cli listen [--name NAME]... [--json] [--archive FILE]\n"
        << "  registers the computer and user names (or the given names) and prints every\n"
        << "  received message until interrupted; --json prints one JSON object per line;\n"
        << "  --archive also keeps every message in that message archive file.\n"
        << "  SIGINT (Ctrl+C) or SIGTERM release the names and end it.\n"
        << "exit status: 0 ended by a signal, 1 the NetBIOS ports, the configuration\n"
        << "  or the archive could not be used, 2 bad arguments\n";
    return what.empty() ? kExitOk : kExitUsage;
}

std::optional<ListenOptions> ParseListenOptions(std::span<const std::string> args, std::string& error)
{
    ListenOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            error.clear();
            return std::nullopt;
        } else if (args[i] == "--json") {
            options.json = true;
        } else if (args[i] == "--name" && i + 1 < args.size()) {
            options.names.push_back(args[++i]);
        } else if (args[i] == "--archive" && i + 1 < args.size()) {
            options.archive = args[++i];
        } else if (args[i] == "--archive") {
            error = "--archive needs a file";
            return std::nullopt;
        } else {
            error = args[i] == "--name" ? "--name needs a name" : "unknown argument \"" + args[i] + "\"";
            return std::nullopt;
        }
    }
    return options;
}

const char* KindText(int kind)
{
    return kind == kBroadcastMessage ? "broadcast" : "personal";
}

// The console face of the messenger: every message as one record on
// standard output. It has no thread of its own: posted work runs at once,
// one piece at a time.
class ConsoleFront : public PlMessengerFront {
public:
    ConsoleFront(bool json, bool archiving) : json_(json), archiving_(archiving) {}

    void Post(std::function<void()> work) override
    {
        std::lock_guard lock(mutex_);
        work();
    }

    void MessageArrived(const PlArrivedMessage& arrived, const PlReceiveNotice& notice) override
    {
        sounds_.Play(notice.sound);  // the receipt sound, when the options turn it on
        const CMsg& msg = arrived.msg;
        if (archiving_ && !arrived.archived)
            std::cerr << "listen: the message from " << msg.from << " was not archived"
                      << (arrived.problem.empty() ? std::string() : ": " + arrived.problem) << std::endl;
        if (json_) {
            std::cout << "{\"kind\":" << msg.kind << ",\"address\":" << JsonString(msg.address)
                      << ",\"from\":" << JsonString(msg.from) << ",\"to\":" << JsonString(msg.to)
                      << ",\"text\":" << JsonString(msg.text) << "}" << std::endl;
            return;
        }
        std::cout << Now() << "  " << KindText(msg.kind) << " message from " << msg.from << " to " << msg.to << "\n";
        std::string line;
        for (char c : msg.text + "\n") {
            if (c == '\n') {
                if (line.ends_with('\r'))
                    line.pop_back();
                std::cout << "    " << line << "\n";
                line.clear();
            } else {
                line += c;
            }
        }
        std::cout.flush();
    }

private:
    static std::string Now()
    {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        char text[32];
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
        return text;
    }

    bool json_;
    bool archiving_;
    PlSoundPlayer sounds_;
    std::mutex mutex_;
};

}  // namespace

int ListenCommand(std::span<const std::string> args)
{
    std::string error;
    const auto options = ParseListenOptions(args, error);
    if (!options)
        return ListenUsage(error);

    // The signals are taken by sigwait below, never by the worker threads.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    PlMessengerSetup setup;
    setup.names = options->names;
    setup.archivePath = options->archive;
    setup.browse = false;
    setup.saveSettings = false;  // the options are honoured, never written
    setup.languageFolder = LanguageFolder();
    ConsoleFront front(options->json, !options->archive.empty());
    std::unique_ptr<PlMessengerCore> core;
    try {
        core = std::make_unique<PlMessengerCore>(setup, front, std::make_unique<PlMessengerNetwork>(false));
    } catch (...) {
        ReportProviderFailure("listen");
        return kExitFailure;
    }
    core->Start();
    if (!options->archive.empty() && !core->Archive().IsOpen()) {
        std::cerr << "listen: cannot open the archive " << options->archive
                  << " for writing (another program may be writing it)\n";
        return kExitFailure;
    }
    const pl::nb::PlNetbiosProvider* provider = core->Network().Provider();
    if (provider != nullptr && provider->Adapters().empty())
        std::cerr << "listen: no network interface for NetBIOS is up yet; waiting for one" << std::endl;
    if (!options->json) {
        std::cerr << "listening as";
        for (const std::string& name : core->Names())
            std::cerr << " " << name;
        std::cerr << "; press Ctrl+C to stop" << std::endl;
    }

    int signal = 0;
    sigwait(&signals, &signal);
    core->Shutdown();  // releases the names
    return kExitOk;
}

}  // namespace pl::cli
