#include "archive_fill.h"

#include <array>
#include <stdexcept>
#include <string_view>

#include "archive/pl_archive_row.h"
#include "archive/pl_archive_time.h"
#include "storage/pl_database.h"

namespace {

struct SampleMessage {
    int minutesAgo;
    std::string_view origin;
    std::string_view recipient;
    std::string_view text;
    char type;
};

constexpr std::array<SampleMessage, 9> kSample{{
    {2700, "ALICE", "HOSTA", "Could you send me the figures of the third quarter before the meeting?", '1'},
    {2690, "HOSTA", "ALICE", "Sure, they are on the share in the folder \"reports\". I'll mail the summary too.", '2'},
    {1500, "CAROL", "HOSTA",
     "Reminder:\r\n- the printer on floor 3 is serviced on Friday\r\n- please collect your print jobs before noon",
     '1'},
    {1440, "HOSTA", "CAROL", "Thanks, noted.", '2'},
    {600, "DAVE", "WORKGROUP", "The file server restarts at 18:00 for updates. Please save your work.", '1'},
    {180, "ALICE", "HOSTA", "Lunch at noon in the canteen? Ivan and Olga are coming as well.", '1'},
    {175, "HOSTA", "ALICE", "Yes, see you there!", '2'},
    {30, "IVAN", "HOSTA", "Привет! Отчёт готов, лежит в общей папке.", '1'},
    {25, "HOSTA", "IVAN", "Спасибо, посмотрю сегодня.", '2'},
}};

constexpr std::array<std::string_view, 8> kNames{"ALICE", "BOB", "CAROL", "DAVE", "EVE", "FRANK", "IVAN", "OLGA"};

// One to five lines of ordinary length.
std::string SyntheticText(int i)
{
    std::string text = "Message " + std::to_string(i) + ": the meeting moved to room " + std::to_string(i % 97) +
                       ", please bring the printed agenda and the notes of last week.";
    for (int line = 1; line < 1 + i % 5; ++line)
        text += "\r\nLine " + std::to_string(line + 1) + " of the message, with a few more words to wrap.";
    return text;
}

}  // namespace

int FillArchive(const std::string& path, ArchiveFill kind, int count, std::uint64_t now, int hours)
{
    PlDatabase database;
    database.SetPath(path);
    if (!database.Open())
        throw std::runtime_error("cannot open " + path);
    constexpr std::uint64_t kMinute = 60000ULL * kFileTimeMillisecond;
    if (kind == ArchiveFill::kSample) {
        for (const SampleMessage& message : kSample)
            database.Insert(pl::archive::MakeRow(now - static_cast<std::uint64_t>(message.minutesAgo) * kMinute,
                                                 message.origin, message.recipient, message.text, message.type));
        database.Close();
        return static_cast<int>(kSample.size());
    }
    const std::uint64_t span = static_cast<std::uint64_t>(hours) * 60 * kMinute;
    for (int i = 0; i < count; ++i) {
        const std::uint64_t time =
            now - span + span / static_cast<std::uint64_t>(count) * static_cast<std::uint64_t>(i);
        const bool sent = kind == ArchiveFill::kMixed && i % 4 == 3;
        const std::string_view other = kNames[static_cast<std::size_t>(i * 7) % kNames.size()];
        database.Insert(pl::archive::MakeRow(time, sent ? "HOSTA" : other, sent ? other : "HOSTA", SyntheticText(i),
                                             sent ? pl::archive::kSentType : pl::archive::kReceivedType));
    }
    database.Close();
    return count;
}
