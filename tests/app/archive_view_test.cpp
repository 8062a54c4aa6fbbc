// What the archive window shows and does, without the window: the row text,
// the search's text (ignoring case beyond ASCII, kept by refreshes), the
// commands' refusals, a deletion that every list hears of, and the export
// (CSV that a spreadsheet cannot run).

#include <gtest/gtest.h>

#include "../storage/test_support.h"
#include "app/archive_view/pl_archive_export.h"
#include "app/archive_view/pl_archive_pages.h"
#include "app/archive_view/pl_archive_row_text.h"
#include "archive/pl_archive_row.h"

namespace {

class FixedFormat : public PlDateTimeFormat {
public:
    std::string ShortDate(const PlLocalTime& t) const override
    {
        return std::to_string(t.day) + "." + std::to_string(t.month);
    }
    std::string Time24(const PlLocalTime& t) const override
    {
        return std::to_string(t.hour) + "h" + std::to_string(t.minute);
    }
};

class CountingObserver : public PlObserver {
public:
    void Update(PlObservationSubject&) override { ++updates; }
    int updates = 0;
};

class ArchiveViewTest : public ::testing::Test {
protected:
    ArchiveViewTest() { archive_.Open(dir_.File("msgarchive.qdb"), 3); }

    // A message of `minutesAgo` minutes ago.
    void Store(const std::string& from, const std::string& to, const std::string& text, char type = '1',
               int minutesAgo = 10)
    {
        const std::uint64_t time = now_ - static_cast<std::uint64_t>(minutesAgo) * 60000 * kFileTimeMillisecond;
        archive_.Database().Insert(pl::archive::MakeRow(time, from, to, text, type));
        archive_.NotifyReceived();
    }

    ScratchDir dir_;
    PlMessageArchive archive_;
    PlArchivePages pages_{archive_};
    std::uint64_t now_ = PlDefaultClock().NowLocalFileTime();
    PlLocalTime today_ = PlLocalFromFileTime(now_);
    PlLocalTime yesterday_ = PlLocalFromFileTime(now_ - kFileTimeDay);  // rows of a few minutes ago, after midnight
};

TEST_F(ArchiveViewTest, RowTextIsDateTimeHeaderAndMessage)
{
    PlArchiveRecord record{PlFileTimeFromLocal({2024, 3, 9, 7, 5, 0, 0}), "BOB", "HOSTA", "one\r\ntwo", "1"};
    EXPECT_EQ(PlArchiveRowText(record, "%1 wrote to %2:", FixedFormat()),
              "9.3 7h5 - BOB wrote to HOSTA:\r\n\r\none\r\ntwo");
    record.received.reset();  // a damaged time shows no date rather than 1601
    EXPECT_EQ(PlArchiveRowText(record, "%1 an %2", FixedFormat()), "  - BOB an HOSTA\r\n\r\none\r\ntwo");
}

TEST_F(ArchiveViewTest, SearchTextIgnoresCaseInNamesAndMessages)
{
    using pl::archive_view::ContainsKey;
    using pl::archive_view::SearchKey;
    EXPECT_EQ(SearchKey("  Lunch\t"), "LUNCH");
    EXPECT_TRUE(ContainsKey("lunch at noon?", SearchKey("NOON")));
    EXPECT_TRUE(ContainsKey("Отчёт готов", SearchKey("отчёт")));
    EXPECT_TRUE(ContainsKey("anything", ""));
    EXPECT_FALSE(ContainsKey("noo", SearchKey("noon")));

    Store("IVAN", "HOSTA", "Отчёт готов");
    Store("HOSTA", "Lunchbox", "see you", '2');
    Store("ALICE", "HOSTA", "Lunch at noon?");
    Store("ALICE", "HOSTA", "nothing here");
    pages_.ApplyManual("", yesterday_, today_, " lunch ");
    EXPECT_EQ(archive_.Search().RecordCount(), 2);  // a recipient and a message
    pages_.ApplyManual("alice", yesterday_, today_, "LUNCH");
    EXPECT_EQ(archive_.Search().RecordCount(), 1);

    // A refresh after an insert filters the new row by the text as well.
    Store("CAROL", "HOSTA", "lunch tomorrow?");
    Store("CAROL", "HOSTA", "no");
    pages_.ApplyManual("", yesterday_, today_, "lunch");
    Store("ALICE", "HOSTA", "LUNCH!");
    Store("ALICE", "HOSTA", "dinner");
    EXPECT_EQ(archive_.Search().RecordCount(), 4);
    pages_.ApplyManual("", yesterday_, today_, "отчЁт");
    EXPECT_EQ(archive_.Search().RecordCount(), 1);
}

TEST_F(ArchiveViewTest, CommandsRefuseRowsTheListDoesNotHave)
{
    Store("BOB", "HOSTA", "hello\r\nthere");
    EXPECT_EQ(pages_.Sender(PlArchivePages::kIncoming, 0), "BOB");
    EXPECT_EQ(pages_.MessageText(PlArchivePages::kIncoming, 0), "hello\r\nthere");
    EXPECT_EQ(pages_.Sender(PlArchivePages::kIncoming, -1), std::nullopt);
    EXPECT_EQ(pages_.MessageText(PlArchivePages::kIncoming, 1), std::nullopt);
    EXPECT_EQ(pages_.Sender(PlArchivePages::kOutcoming, 0), std::nullopt);
    EXPECT_FALSE(pages_.Delete(PlArchivePages::kIncoming, 1));
    EXPECT_FALSE(pages_.Delete(PlArchivePages::kFilter, 0));  // the search was never applied
    EXPECT_EQ(archive_.Received().RecordCount(), 1);
}

TEST_F(ArchiveViewTest, ADeletionReachesEveryList)
{
    Store("BOB", "HOSTA", "first");
    Store("BOB", "HOSTA", "second", '1', 5);
    pages_.ApplyManual("bob", yesterday_, today_, "");
    std::array<CountingObserver, PlArchivePages::kCount> observers;
    for (int page = 0; page < PlArchivePages::kCount; ++page)
        pages_.View(page).Attach(&observers[page]);

    ASSERT_TRUE(pages_.Delete(PlArchivePages::kDialog, 0));  // the newest: "second"
    for (int page = 0; page < PlArchivePages::kCount; ++page) {
        EXPECT_EQ(observers[page].updates, 1) << page;
        pages_.View(page).Detach(&observers[page]);
    }
    EXPECT_EQ(archive_.Received().RecordCount(), 1);
    EXPECT_EQ(archive_.Search().RecordCount(), 1);
    EXPECT_EQ(pages_.MessageText(PlArchivePages::kFilter, 0), "first");
}

TEST_F(ArchiveViewTest, ExportWritesTheListInOrder)
{
    using pl::archive_view::CsvField;
    EXPECT_EQ(CsvField("say \"hi\", ok"), "\"say \"\"hi\"\", ok\"");
    EXPECT_EQ(CsvField("=HYPERLINK(\"x\")"), "\"'=HYPERLINK(\"\"x\"\")\"");
    EXPECT_EQ(CsvField("-1"), "\"'-1\"");
    EXPECT_EQ(CsvField("a-1"), "\"a-1\"");

    Store("BOB", "HOSTA", "older");
    Store("HOSTA", "BOB", "newer\r\nline", '2', 1);
    std::string csv;
    const auto write = [&](std::string_view chunk) { csv += chunk; };
    EXPECT_EQ(PlExportRecords(archive_.Dialog(), PlExportFormat::kCsv, "%1 wrote to %2:", FixedFormat(), write), 2);
    const std::string newest = PlFormatLocalTime(now_ - 60000 * kFileTimeMillisecond);
    EXPECT_TRUE(csv.starts_with("received,type,origin,recipient,text\r\n\"" + newest.substr(0, 16))) << csv;
    EXPECT_NE(csv.find("\",\"sent\",\"HOSTA\",\"BOB\",\"newer\r\nline\"\r\n"), std::string::npos) << csv;
    EXPECT_TRUE(csv.ends_with("\"received\",\"BOB\",\"HOSTA\",\"older\"\r\n")) << csv;

    std::string text;
    PlExportRecords(archive_.Dialog(), PlExportFormat::kText, "%1 wrote to %2:", FixedFormat(),
                    [&](std::string_view chunk) { text += chunk; });
    EXPECT_NE(text.find("HOSTA wrote to BOB:\n\nnewer\nline\n----"), std::string::npos) << text;
    EXPECT_TRUE(text.ends_with("BOB wrote to HOSTA:\n\nolder\n")) << text;
}

}  // namespace
