#include "archive/pl_msg_log_data_sets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "archive/pl_archive_row.h"
#include "archive/pl_archive_time.h"
#include "storage/pl_mem_heap.h"
#include "storage/pl_test_hook.h"

namespace {

constexpr std::uint64_t kHour = kFileTimeDay / 24;

class FakeClock : public PlClock {
public:
    std::uint64_t NowLocalFileTime() const override { return now; }
    std::uint64_t now = PlFileTimeFromLocal({2026, 3, 15, 12, 0, 0, 500}) + 4321;  // sub-millisecond part
};

class CountingObserver : public PlObserver {
public:
    void Update(PlObservationSubject&) override { ++updates; }
    int updates = 0;
};

// An archive in memory with the four views on a fake clock.
class ArchiveViews : public ::testing::Test {
protected:
    ArchiveViews() : database(heap), received(clock), sent(clock), dialog(clock)
    {
        database.Open();
        for (PlMsgLogDataSetBase* view : Views())
            view->SetDatabase(&database);
        received.Filter().days = 1;
        sent.Filter().days = 1;
        dialog.Filter().days = 1;
    }

    std::vector<PlMsgLogDataSetBase*> Views() { return {&received, &sent, &dialog, &search}; }

    void Add(std::uint64_t time, const std::string& from, const std::string& to, const std::string& text, char type)
    {
        database.Insert(pl::archive::MakeRow(time, from, to, text, type));
    }

    void OpenAll()
    {
        for (PlMsgLogDataSetBase* view : Views())
            view->Open();
    }

    static std::vector<std::string> Messages(PlDataSet& view)
    {
        std::vector<std::string> texts;
        for (std::int32_t i = 0; i <= view.GetLastIndex(); ++i)
            texts.push_back(view.GetValue(i, "Message").Text());
        return texts;
    }

    FakeClock clock;
    PlMemHeap heap;
    PlDatabase database;
    PlMsgLogDataSet2 received;
    PlMsgLogOut sent;
    PlMsgLogDialog dialog;
    PlMsgLogFiltered search;
};

using Texts = std::vector<std::string>;

}  // namespace

TEST_F(ArchiveViews, TimeWindowsSplitByDirectionAndAge)
{
    Add(clock.now - 25 * kHour, "ALICE", "BOB", "in 25h", '1');
    Add(clock.now - 23 * kHour, "ALICE", "BOB", "in 23h", '1');
    Add(clock.now - 2 * kHour, "BOB", "CAROL", "out 2h", '2');
    Add(clock.now - 1 * kHour, "ALICE", "BOB", "in 1h", '1');
    dialog.Filter().name = "carol";
    OpenAll();

    EXPECT_EQ(Messages(received), (Texts{"in 1h", "in 23h"}));
    EXPECT_EQ(Messages(sent), (Texts{"out 2h"}));
    EXPECT_EQ(Messages(dialog), (Texts{"out 2h"}));

    // An empty conversation name shows the whole window, both directions.
    dialog.Filter().name.clear();
    dialog.Open();
    EXPECT_EQ(Messages(dialog), (Texts{"in 1h", "out 2h", "in 23h"}));

    // Each change re-runs Begin: a clock that moved on moves the cut-off.
    clock.now += 22 * kHour + kHour / 2;
    Add(clock.now, "ALICE", "BOB", "now", '1');
    EXPECT_EQ(Messages(received), (Texts{"now", "in 1h"}));
}

TEST_F(ArchiveViews, CutOffHasMillisecondPrecisionAndSaneLimits)
{
    const std::uint64_t cutoff = PlWindowCutoff(clock.now, 1);
    EXPECT_EQ(cutoff % kFileTimeMillisecond, 0u);
    EXPECT_EQ(cutoff, clock.now - clock.now % kFileTimeMillisecond - kFileTimeDay);
    EXPECT_EQ(PlWindowCutoff(clock.now, INT_MAX), 0u);
    EXPECT_GT(PlWindowCutoff(clock.now, -1), clock.now);

    // A row exactly at the cut-off is inside the window (rows arrive in time order).
    Add(cutoff - 1, "ALICE", "BOB", "older", '1');
    Add(cutoff, "ALICE", "BOB", "edge", '1');
    received.Open();
    EXPECT_EQ(Messages(received), (Texts{"edge"}));
}

TEST_F(ArchiveViews, NamesMatchIgnoringCaseBeyondAscii)
{
    Add(clock.now - kHour, "MÜLLER", "BOB", "from müller", '1');
    Add(clock.now - kHour, "BOB", "Müller", "to müller", '2');
    Add(clock.now - kHour, "BOB", "MULLER", "to muller", '2');
    dialog.Filter().name = "müller";
    search.Filter().name = "mÜller";
    search.Filter().to = clock.now;
    OpenAll();
    EXPECT_EQ(Messages(dialog), (Texts{"to müller", "from müller"}));
    EXPECT_EQ(Messages(search), (Texts{"to müller", "from müller"}));
}

TEST_F(ArchiveViews, ManualSearchTakesWholeDaysInclusive)
{
    const std::uint64_t dayStart = PlFileTimeFromLocal({2026, 3, 10});
    const std::uint64_t dayEnd = PlFileTimeFromLocal({2026, 3, 10, 23, 59, 59, 999});
    Add(dayStart - 1, "A", "B", "before", '1');
    Add(dayStart, "A", "B", "first", '1');
    Add(dayEnd, "B", "A", "last", '2');
    Add(dayEnd + kFileTimeMillisecond / 2, "B", "A", "at 23:59:59.9995", '2');  // archived as .999
    Add(dayEnd + kFileTimeMillisecond, "A", "B", "after", '1');
    search.Filter().from = dayStart;
    search.Filter().to = dayEnd;
    search.Open();
    EXPECT_EQ(Messages(search), (Texts{"at 23:59:59.9995", "last", "first"}));
    // FilterManual has no window of its own: the clock does not matter.
    clock.now += 400 * kFileTimeDay;
    Add(clock.now, "A", "B", "much later", '1');
    EXPECT_EQ(Messages(search), (Texts{"at 23:59:59.9995", "last", "first"}));
}

TEST_F(ArchiveViews, ReadValueDecodesEveryFieldAndRefusesBadIndexes)
{
    const std::uint64_t t = clock.now - kHour;
    Add(t, "ALICE", "BOB", "hello\r\nthere", '1');
    PlValue value;
    value.SetText("untouched");
    EXPECT_EQ(received.ReadValue(value, 0, "Message").Text(), "untouched");  // not open
    received.Open();

    EXPECT_EQ(received.GetValue(0, "Received").GetTag(), PlValue::kScalar);
    EXPECT_EQ(received.GetValue(0, "Received").Time(), t - t % kFileTimeMillisecond);  // whole milliseconds
    EXPECT_EQ(received.GetValue(0, "Origin").Text(), "ALICE");
    EXPECT_EQ(received.GetValue(0, "Recipient").Text(), "BOB");
    EXPECT_EQ(received.GetValue(0, "Message").Text(), "hello\r\nthere");
    EXPECT_EQ(received.GetValue(0, "Type").Text(), "1");
    EXPECT_EQ(received.GetValue(0, "Colour").GetTag(), PlValue::kText);
    EXPECT_EQ(received.GetValue(0, "Colour").Text(), "");

    for (std::int32_t bad : {-1, 1, INT_MIN, INT_MAX}) {
        EXPECT_EQ(received.ReadValue(value, bad, "Message").Text(), "untouched") << bad;
        received.DeleteRecord(bad);
    }
    EXPECT_EQ(received.GetLastIndex(), 0);
}

TEST_F(ArchiveViews, WritesAndInsertsAreRefusedWithoutChange)
{
    Add(clock.now - kHour, "ALICE", "BOB", "kept", '1');
    OpenAll();
    CountingObserver observer;
    received.Attach(&observer);
    PlValue text;
    text.SetText("changed");
    received.WriteValue(0, "Message", text);
    EXPECT_EQ(received.InsertRecord(), -1);
    EXPECT_EQ(Messages(received), (Texts{"kept"}));
    EXPECT_EQ(dialog.GetLastIndex(), 0);
    EXPECT_EQ(observer.updates, 0);
    received.Detach(&observer);
}

TEST_F(ArchiveViews, DeletingRefreshesEveryViewAndNotifiesOnlyTheDeletingOne)
{
    Add(clock.now - 3 * kHour, "ALICE", "BOB", "older", '1');
    Add(clock.now - 2 * kHour, "BOB", "ALICE", "reply", '2');
    Add(clock.now - 1 * kHour, "ALICE", "BOB", "newest", '1');
    OpenAll();
    CountingObserver onReceived, onDialog;
    received.Attach(&onReceived);
    dialog.Attach(&onDialog);

    received.DeleteRecord(0);
    EXPECT_EQ(Messages(received), (Texts{"older"}));
    EXPECT_EQ(Messages(dialog), (Texts{"reply", "older"}));
    EXPECT_EQ(onReceived.updates, 1);
    EXPECT_EQ(onDialog.updates, 0);
    received.Detach(&onReceived);
    dialog.Detach(&onDialog);
}

#ifdef PL_TEST_HOOKS
// A message that arrives (or a row deleted elsewhere) between any two steps
// of a deletion never makes it delete another row than record i showed when
// the deletion read it.
TEST_F(ArchiveViews, ADeletionHitsTheRowItReadWhateverHappensBetweenItsSteps)
{
    struct Installed {
        explicit Installed(pl::test_hook::Hook hook) { pl::test_hook::Install(std::move(hook)); }
        ~Installed() { pl::test_hook::Install({}); }
    };
    const std::vector<std::string> points = {"PlMsgLogDataSetBase::DeleteRecord before the read",
                                             "PlMsgLogDataSetBase::DeleteRecord between the read and the delete",
                                             "PlMsgLogDataSetBase::DeleteRecord after the delete"};
    for (std::size_t p = 0; p < points.size(); ++p) {
        for (const bool alsoDelete : {false, true}) {
            SCOPED_TRACE(points[p] + (alsoDelete ? " (with a deletion)" : ""));
            PlMemHeap freshHeap;
            PlDatabase db(freshHeap);
            PlMsgLogDataSet2 view(clock);
            view.SetDatabase(&db);
            view.Filter().days = 1;
            for (int i = 0; i < 5; ++i)
                db.Insert(pl::archive::MakeRow(clock.now - (10 - i) * kHour, "A", "B",
                                               std::string("m").append(std::to_string(i)), '1'));
            view.Open();
            ASSERT_EQ(Messages(view), (Texts{"m4", "m3", "m2", "m1", "m0"}));
            Installed hook([&](std::string_view point) {
                if (point != points[p])
                    return;
                db.Insert(pl::archive::MakeRow(clock.now - kHour, "A", "B", "arrived", '1'));
                if (alsoDelete)  // m0, in a lower slot of the same page: the victim moves down
                    db.Delete(2, 0);
            });
            view.DeleteRecord(2);
            // Before the read the new row is record 0, so record 2 is m3; later it is m2.
            const std::string victim = p == 0 ? "m3" : "m2";
            Texts expected = {"arrived", "m4", "m3", "m2", "m1"};
            if (!alsoDelete)
                expected.push_back("m0");
            expected.erase(std::find(expected.begin(), expected.end(), victim));
            EXPECT_EQ(Messages(view), expected);
        }
    }
}
#endif

TEST_F(ArchiveViews, RowsWithoutTheSchemaAreNeverShown)
{
    PlRow four = pl::archive::MakeRow(clock.now - kHour, "A", "B", "four", '1');
    four.SetFieldCount(4);
    database.Insert(four);
    Add(clock.now - kHour, "A", "B", "five", '1');
    search.Filter().to = clock.now;
    OpenAll();
    EXPECT_EQ(Messages(received), (Texts{"five"}));
    EXPECT_EQ(Messages(dialog), (Texts{"five"}));
    EXPECT_EQ(Messages(search), (Texts{"five"}));
    // A closed view has no records.
    received.Close();
    EXPECT_EQ(received.GetLastIndex(), -1);
}

TEST(ArchiveViewsWithoutFile, AnArchiveThatCannotOpenShowsEmptyLists)
{
    PlDatabase database;
    database.SetPath("/nonexistent-folder/msgarchive.qdb");
    ASSERT_FALSE(database.Open());
    PlMsgLogDataSet2 received;
    PlMsgLogFiltered search;
    received.SetDatabase(&database);
    search.SetDatabase(&database);
    received.Open();
    search.Open();
    EXPECT_EQ(received.GetLastIndex(), -1);
    EXPECT_EQ(search.GetLastIndex(), -1);
    received.DeleteRecord(0);
}
