// Random sequences of inserts, deletes, filter changes, clock movements,
// cursor re-creations and reopenings; after every refresh each cursor's
// snapshot must equal the plain reference scan of the same file with the
// same filter. The clock moves in steps of hours and also a little before
// most inserts, so that time windows refresh with a new cut-off each time.

#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "storage/pl_database.h"
#include "storage/pl_mem_heap.h"
#include "test_filters.h"
#include "test_support.h"

namespace {

// One cursor under test, and a twin filter for the reference scan.
struct Watched {
    std::unique_ptr<PlDbFilter> filter;
    std::unique_ptr<PlDbFilter> twin;
    std::unique_ptr<PlDbSrvMemCursor> cursor;
    bool fresh = true;  // refreshed since the clock last moved
};

class Model {
public:
    explicit Model(unsigned seed) : rng_(seed), db_(heap_)
    {
        Add(std::make_unique<PlDbFilter>(), std::make_unique<PlDbFilter>());
        Add(std::make_unique<TimeWindowFilter>(clock_, 1, '1'), std::make_unique<TimeWindowFilter>(clock_, 1, '1'));
        Add(std::make_unique<TimeWindowFilter>(clock_, 2, '2'), std::make_unique<TimeWindowFilter>(clock_, 2, '2'));
        Add(std::make_unique<TimeWindowFilter>(clock_, 1, '2', false),
            std::make_unique<TimeWindowFilter>(clock_, 1, '2', false));
        Add(std::make_unique<NameFilter>("bob"), std::make_unique<NameFilter>("bob"));
        Add(std::make_unique<LimitFilter>(7), std::make_unique<LimitFilter>(7));
    }

    void Step()
    {
        const int op = Pick(100);
        if (op < 55)
            Insert();
        else if (op < 75)
            Delete();
        else if (op < 85)
            MoveClock();
        else if (op < 93)
            ChangeFilter(watched_[static_cast<std::size_t>(Pick(static_cast<int>(watched_.size())))]);
        else if (op < 99)
            Reopen(watched_[static_cast<std::size_t>(Pick(static_cast<int>(watched_.size())))]);
        else
            ReopenDatabase();
    }

    void Verify()
    {
        for (std::size_t c = 0; c < watched_.size(); ++c) {
            Watched& w = watched_[c];
            if (!w.fresh)
                continue;  // its snapshot belongs to an earlier time
            const std::vector<ReferenceEntry> expected = ReferenceScan(heap_, *w.twin);
            ASSERT_EQ(ReadAll(*w.cursor), expected) << "cursor " << c;
            // Random access lands on the same entries as stepping.
            for (int probe = 0; probe < 3 && !expected.empty(); ++probe) {
                const int i = Pick(static_cast<int>(expected.size()));
                ASSERT_TRUE(w.cursor->Move(-i, PlDbSrvAbstractCursor::kFromFirst));
                PlRow row;
                ASSERT_TRUE(w.cursor->GetRow(row));
                ASSERT_EQ(row, expected[static_cast<std::size_t>(i)].row);
            }
        }
    }

    std::size_t Rows()
    {
        PlDbFilter all;
        return ReferenceScan(heap_, all).size();
    }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    void Add(std::unique_ptr<PlDbFilter> filter, std::unique_ptr<PlDbFilter> twin)
    {
        Watched w{std::move(filter), std::move(twin), nullptr};
        w.cursor = db_.CreateCursor(*w.filter);
        watched_.push_back(std::move(w));
    }

    void MoveClock()
    {
        clock_.now += static_cast<std::uint64_t>(Pick(48)) * kFileTimeDay / 24;
        for (Watched& w : watched_)
            w.fresh = false;
    }

    void AllFresh()
    {
        for (Watched& w : watched_)
            w.fresh = true;
    }

    void Insert()
    {
        static const char* const names[] = {"ALICE", "bob", "Bob", "CAROL", "DAVE"};
        if (Pick(4) != 0)
            clock_.now += static_cast<std::uint64_t>(Pick(1000)) * kFileTimeDay / 1000;
        const std::uint64_t age = static_cast<std::uint64_t>(Pick(72)) * kFileTimeDay / 24;
        const int textSize = Pick(10) == 0 ? 3000 + Pick(1000) : Pick(300);
        PlRow row = ArchiveRow(clock_.now - age, names[Pick(5)], names[Pick(5)], std::string(textSize, 't'),
                               Pick(2) ? '1' : '2');
        if (Pick(20) == 0)
            row.SetFieldCount(3);
        db_.Insert(row);
        AllFresh();
    }

    void Delete()
    {
        PlDbFilter all;
        const std::vector<ReferenceEntry> rows = ReferenceScan(heap_, all);
        if (rows.empty())
            return;
        const ReferenceEntry& victim = rows[static_cast<std::size_t>(Pick(static_cast<int>(rows.size())))];
        db_.Delete(victim.pageno, victim.slot);
        AllFresh();
    }

    void ChangeFilter(Watched& w)
    {
        if (auto* time = dynamic_cast<TimeWindowFilter*>(w.filter.get())) {
            time->days = 1 + Pick(3);
            static_cast<TimeWindowFilter&>(*w.twin).days = time->days;
        } else if (auto* name = dynamic_cast<NameFilter*>(w.filter.get())) {
            name->name = Pick(2) ? "alice" : "bob";
            static_cast<NameFilter&>(*w.twin).name = name->name;
        } else if (auto* limit = dynamic_cast<LimitFilter*>(w.filter.get())) {
            limit->limit = Pick(40);
            static_cast<LimitFilter&>(*w.twin).limit = limit->limit;
        }
        w.cursor->Refresh();
        w.fresh = true;
    }

    void ReopenDatabase()
    {
        db_.Close();
        db_.Open();
        for (Watched& w : watched_)
            w.cursor->Refresh();
        AllFresh();
    }

    void Reopen(Watched& w)
    {
        w.cursor.reset();
        w.cursor = db_.CreateCursor(*w.filter);
        w.fresh = true;
    }

    std::mt19937 rng_;
    FakeClock clock_;
    PlMemHeap heap_;
    PlDatabase db_;
    std::vector<Watched> watched_;
};

}  // namespace

TEST(SnapshotProperty, CursorsEqualThePlainScanAfterEveryChange)
{
    for (unsigned seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Model model(seed);
        for (int step = 0; step < 700; ++step) {
            model.Step();
            model.Verify();
            if (HasFatalFailure())
                return;
        }
        EXPECT_GT(model.Rows(), 50u);
    }
}
