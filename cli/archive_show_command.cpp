#include "cli/archive_show.h"

#include <charconv>
#include <cstdio>
#include <memory>
#include <optional>

#include "archive/pl_archive_time.h"
#include "archive/pl_msg_log_data_sets.h"
#include "cli/archive_format.h"
#include "cli/cli_commands.h"

namespace pl::cli {

namespace {

constexpr const char* kShowHelp =
    "usage: parlino-cli archive show FILE VIEW [--csv]\n"
    "\n"
    "VIEW is one of\n"
    "  --received [--days N]          received messages of the last N days (default 3)\n"
    "  --sent [--days N]              sent messages of the last N days (default 3)\n"
    "  --dialog NAME [--days N]       messages to or from NAME (any case) of the last N days\n"
    "  --between FROM TO [--name NAME]\n"
    "                                 messages from FROM 00:00:00.000 to TO 23:59:59.999\n"
    "                                 (dates as YYYY-MM-DD), with NAME only when given\n"
    "Messages are listed newest first; --csv prints\n"
    "index,received,type,origin,recipient,text. The file is opened for reading only.\n"
    "exit status: 0 success, 1 the file cannot be opened, 2 bad arguments\n";

struct ShowOptions {
    std::string path;
    std::string view;  // "received", "sent", "dialog", "between"
    std::string name;
    std::int32_t days = 3;
    std::uint64_t from = 0;
    std::uint64_t to = 0;
    bool csv = false;
};

int ShowUsage(const std::string& what)
{
    std::fprintf(stderr, "archive show: %s\n%s", what.c_str(), kShowHelp);
    return kExitUsage;
}

std::optional<std::int32_t> ParseDays(const std::string& text)
{
    std::int32_t days = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), days);
    if (error != std::errc{} || end != text.data() + text.size() || days < 1)
        return std::nullopt;
    return days;
}

// Fills options from the arguments; an error text when they do not make sense.
std::string ParseShow(std::span<const std::string> args, ShowOptions& options)
{
    bool daysGiven = false;
    bool nameGiven = false;
    auto chooseView = [&](const char* view) {
        if (!options.view.empty())
            return std::string("give one view only");
        options.view = view;
        return std::string();
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        const std::size_t left = args.size() - i - 1;
        std::string error;
        if (word == "--csv") {
            options.csv = true;
        } else if (word == "--received" || word == "--sent") {
            error = chooseView(word == "--received" ? "received" : "sent");
        } else if (word == "--dialog" && left >= 1) {
            error = chooseView("dialog");
            options.name = args[++i];
        } else if (word == "--between" && left >= 2) {
            error = chooseView("between");
            const auto from = PlParseDate(args[i + 1]);
            auto to = PlParseDate(args[i + 2]);
            if (!from || !to)
                return "dates are given as YYYY-MM-DD: \"" + args[i + 1] + "\", \"" + args[i + 2] + "\"";
            to->hour = 23, to->minute = 59, to->second = 59, to->millisecond = 999;
            options.from = PlFileTimeFromLocal(*from);
            options.to = PlFileTimeFromLocal(*to);
            if (options.from > options.to)
                return "FROM is after TO";
            i += 2;
        } else if (word == "--days" && left >= 1) {
            const auto days = ParseDays(args[++i]);
            if (!days)
                return "--days needs a whole number of at least 1, not \"" + args[i] + "\"";
            options.days = *days;
            daysGiven = true;
        } else if (word == "--name" && left >= 1) {
            options.name = args[++i];
            nameGiven = true;
        } else if (word.starts_with("--")) {
            return "unknown option or missing value: \"" + word + "\"";
        } else if (options.path.empty()) {
            options.path = word;
        } else {
            return "unexpected argument \"" + word + "\"";
        }
        if (!error.empty())
            return error;
    }
    if (options.path.empty())
        return "no archive FILE given";
    if (options.view.empty())
        return "no view given";
    if (daysGiven && options.view == "between")
        return "--days does not apply to --between";
    if (nameGiven && options.view != "between")
        return "--name applies to --between only";
    return {};
}

std::unique_ptr<PlMsgLogDataSetBase> MakeView(const ShowOptions& options)
{
    if (options.view == "received") {
        auto view = std::make_unique<PlMsgLogDataSet2>();
        view->Filter().days = options.days;
        return view;
    }
    if (options.view == "sent") {
        auto view = std::make_unique<PlMsgLogOut>();
        view->Filter().days = options.days;
        return view;
    }
    if (options.view == "dialog") {
        auto view = std::make_unique<PlMsgLogDialog>();
        view->Filter().days = options.days;
        view->Filter().name = options.name;
        return view;
    }
    auto view = std::make_unique<PlMsgLogFiltered>();
    view->Filter().name = options.name;
    view->Filter().from = options.from;
    view->Filter().to = options.to;
    return view;
}

std::string TypeWord(const std::string& type)
{
    return type == "1" ? "received" : type == "2" ? "sent" : Printable(type);
}

void PrintMessage(PlDataSet& view, std::int32_t index, bool csv)
{
    const std::uint64_t received = view.GetValue(index, "Received").Time();
    const std::string origin = view.GetValue(index, "Origin").Text();
    const std::string recipient = view.GetValue(index, "Recipient").Text();
    const std::string text = view.GetValue(index, "Message").Text();
    const std::string type = view.GetValue(index, "Type").Text();
    std::string out;
    if (csv) {
        out = std::to_string(index) + "," + FormatFileTime(received) + "," + CsvQuote(TypeWord(type)) + "," +
              CsvQuote(origin) + "," + CsvQuote(recipient) + "," + CsvQuote(text) + "\n";
    } else {
        out = FormatFileTime(received) + "  " + TypeWord(type) + "  from " + Printable(origin) + " to " +
              Printable(recipient) + "\n    ";
        std::string lines;
        for (std::size_t i = 0; i < text.size(); ++i)
            if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
                lines += text[i];
        for (const char c : Printable(lines))
            out += c == '\n' ? std::string("\n    ") : std::string(1, c);
        out += "\n";
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
}

}  // namespace

int ArchiveShowCommand(std::span<const std::string> args)
{
    for (const std::string& word : args)
        if (word == "--help" || word == "-h") {
            std::fputs(kShowHelp, stdout);
            return kExitOk;
        }
    ShowOptions options;
    const std::string error = ParseShow(args, options);
    if (!error.empty())
        return ShowUsage(error);

    PlDatabase database;
    database.SetPath(options.path);
    if (!database.OpenReadOnly()) {
        std::fprintf(stderr, "archive show: cannot open %s\n", options.path.c_str());
        return kExitFailure;
    }
    const std::unique_ptr<PlMsgLogDataSetBase> view = MakeView(options);
    view->SetDatabase(&database);
    view->Open();
    if (options.csv)
        std::fputs("index,received,type,origin,recipient,text\n", stdout);
    const std::int32_t last = view->GetLastIndex();
    for (std::int32_t i = 0; i <= last; ++i)
        PrintMessage(*view, i, options.csv);
    if (!options.csv)
        std::printf("%d messages\n", last + 1);
    return kExitOk;
}

}  // namespace pl::cli
