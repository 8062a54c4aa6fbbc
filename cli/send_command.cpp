// parlino-cli send: sends one personal message, or with --broadcast one
// broadcast message, and reports the outcome as the messenger's compose window
// does. Works beside a running messenger: it calls (and writes its mailslot
// datagram) from a query-only provider that binds no fixed port.

#include "app/core/pl_messenger_network.h"
#include "cli/cli_commands.h"
#include "cli/provider_failure.h"

#include "archive/pl_archive_row.h"
#include "platform/identity/pl_local_user.h"
#include "platform/text/pl_case.h"
#include "transport/core/pl_network_err.h"

#include <unistd.h>

#include <cerrno>
#include <iostream>
#include <optional>

namespace pl::cli {

namespace {

constexpr int kNamesReadyMs = 5000;

struct SendOptions {
    std::string from;
    bool broadcast = false;
    std::string recipient;
    std::optional<std::string> text;
};

int SendUsage(const std::string& what)
{
    std::ostream& out = what.empty() ? std::cout : std::cerr;
    if (!what.empty())
        out << "send: " << what << "\n";
    out << "usage: parlino-cli send [--from NAME] [--broadcast] RECIPIENT [TEXT]\n"
        << "  sends a personal message to the user or computer RECIPIENT; without TEXT\n"
        << "  the text is read from standard input. With --broadcast RECIPIENT is a\n"
        << "  workgroup, a domain, a computer or \"*\" (the own workgroup) and the message\n"
        << "  goes as one MESSNGR mailslot datagram, cut to 128 characters\n"
        << "exit status: 0 sent, 1 the network could not be used, 2 bad arguments,\n"
        << "  3 \"Recipient not found\", 4 \"Message transmission error\", 5 \"Unknown error\"\n";
    return what.empty() ? kExitOk : kExitUsage;
}

std::optional<SendOptions> ParseSendOptions(std::span<const std::string> args, std::string& error)
{
    SendOptions options;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            error.clear();
            return std::nullopt;
        } else if (args[i] == "--from") {
            if (i + 1 >= args.size()) {
                error = "--from needs a name";
                return std::nullopt;
            }
            options.from = args[++i];
        } else if (args[i] == "--broadcast") {
            options.broadcast = true;
        } else if (args[i].starts_with("--")) {
            error = "unknown option \"" + args[i] + "\"";
            return std::nullopt;
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.empty() || positional.size() > 2) {
        error = positional.empty() ? "a recipient is needed" : "too many arguments (quote the text)";
        return std::nullopt;
    }
    options.recipient = positional[0];
    if (positional.size() == 2)
        options.text = positional[1];
    return options;
}

// Text from standard input without its final line break; line breaks go on the
// wire as CR LF, as the messenger writes them.
std::string ReadText()
{
    std::string text;
    char chunk[4096];
    for (ssize_t n; (n = ::read(STDIN_FILENO, chunk, sizeof chunk)) != 0;) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        text.append(chunk, static_cast<std::size_t>(n));
    }
    if (text.ends_with('\n'))
        text.pop_back();
    if (text.ends_with('\r'))
        text.pop_back();
    return text;
}

}  // namespace

int SendCommand(std::span<const std::string> args)
{
    std::string error;
    const auto options = ParseSendOptions(args, error);
    if (!options)
        return SendUsage(error);
    const std::string text = archive::WithCrLf(options->text ? *options->text : ReadText());
    const std::string from = options->from.empty() ? UpperCase(LocalUserName()) : options->from;

    std::unique_ptr<PlMessengerNetwork> network;
    try {
        network = std::make_unique<PlMessengerNetwork>(true);
    } catch (...) {
        ReportProviderFailure("send");
        return kExitFailure;
    }
    // The computer name is the calling name; `from` is only carried in the message.
    // Nothing is received, so no thread listens on it.
    network->StartSendOnly();
    if (options->broadcast)
        network->StartBroadcast(nullptr);  // a personal message opens no mailslot
    network->RegisterClients();
    const bool noAdapter = network->Provider() != nullptr && network->Provider()->Adapters().empty();
    if (noAdapter || !network->WaitForNames(kNamesReadyMs)) {
        std::cerr << "send: Unknown error (no network adapter is ready)\n";
        return kExitUnknownError;
    }
    try {
        if (options->broadcast)
            network->Registry().Send(
                CMsg{kBroadcastMessage, options->recipient, from, UpperCase(options->recipient), text});
        else
            network->Registry().Send(CMsg{kPersonalMessage, options->recipient, from, options->recipient, text});
    } catch (const PlAddrNotFoundErr&) {
        std::cerr << "send: Recipient not found\n";
        return kExitNotFound;
    } catch (const PlDataTransmissionErr&) {
        std::cerr << "send: Message transmission error\n";
        return kExitTransmission;
    } catch (const PlNetworkErr&) {
        std::cerr << "send: Unknown error\n";
        return kExitUnknownError;
    }
    return kExitOk;
}

}  // namespace pl::cli
