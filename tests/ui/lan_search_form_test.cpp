// The LAN search window over a scripted LAN: what a search lists in each
// grouping (an empty domain under "-", offline rows), that a second opening
// only brings the window forward, that Stop silences a search and Start
// searches again, the context menu only on a row, and the placement kept on
// Escape.

#include <QSignalSpy>
#include <QTest>
#include <atomic>

#include "desktop_fixture.h"
#include "ui/search/c_browse_net_form.h"

namespace {

class LanSearchFormTest : public DesktopFixture {
protected:
    LanSearchFormTest()
    {
        network_.Set("", {{kDisplayNetwork, "Net", {}}, {kDisplayServer, "\\\\LONER", "alone"}});
        network_.Set("Net", {{kDisplayDomain, "LABGROUP", "master"}});
        network_.Set("LABGROUP", {{kDisplayServer, "\\\\HOSTA", ""}, {kDisplayServer, "\\\\HOSTB", "printer"}});
        lookup_ = [this](const std::string& computer) {
            ++lookups_;
            if (computer == "HOSTB")
                WaitUntil([this] { return gateOpen_.load(); });
            if (computer == "HOSTA")
                return std::vector<std::string>{"HOSTA", "ALICE"};
            if (computer == "LONER")
                return std::vector<std::string>{"LONER"};
            return std::vector<std::string>();  // HOSTB does not answer
        };
    }

    CBrowseNetForm* Open()
    {
        form_->ShowLanSearch();
        return Find<CBrowseNetForm>(CBrowseNetForm::kWindowKey);
    }

    bool WaitComplete(CBrowseNetForm& search)
    {
        return WaitFor([&] { return search.StatusText() == "Search complete" && search.StartAction().isEnabled(); });
    }

    static QStringList Headers(CBrowseNetForm& search)
    {
        QStringList headers;
        for (int i = 0; i < search.View().topLevelItemCount(); ++i)
            headers << search.View().topLevelItem(i)->text(0);
        return headers;
    }

    // "name/status" of each row under the group `header`.
    static QStringList RowsOf(CBrowseNetForm& search, const QString& header)
    {
        QStringList rows;
        for (int i = 0; i < search.View().topLevelItemCount(); ++i) {
            const QTreeWidgetItem* group = search.View().topLevelItem(i);
            for (int row = 0; group->text(0) == header && row < group->childCount(); ++row)
                rows << group->child(row)->text(0) + "/" + group->child(row)->text(4);
        }
        return rows;
    }

    std::atomic<int> lookups_{0};
    std::atomic<bool> gateOpen_{true};
};

TEST_F(LanSearchFormTest, ListsEveryRecordInTheGroupsOfEachMode)
{
    CBrowseNetForm* search = Open();
    ASSERT_NE(search, nullptr);
    EXPECT_EQ(search->windowTitle(), "Local network search");
    ASSERT_TRUE(WaitComplete(*search));
    EXPECT_FALSE(search->StopAction().isEnabled());
    EXPECT_EQ(Headers(*search), (QStringList{"-", "LABGROUP"})) << "by domain; an empty domain under \"-\"";
    EXPECT_EQ(RowsOf(*search, "LABGROUP"),
              (QStringList{"LABGROUP/Available", "HOSTA/Available", "ALICE/Available", "HOSTB/Offline"}));
    EXPECT_EQ(RowsOf(*search, "-"), (QStringList{"LONER/Available"}));

    search->GroupByColumn(1);  // the comment
    EXPECT_EQ(Headers(*search), (QStringList{"-", "LABGROUP"}));
    search->GroupByColumn(4);
    EXPECT_EQ(Headers(*search), (QStringList{"Available", "Offline"}));
    EXPECT_EQ(RowsOf(*search, "Offline"), (QStringList{"HOSTB/Offline"}));
    search->GroupByColumn(0);
    EXPECT_EQ(Headers(*search), (QStringList{"A", "H", "L"}));
    EXPECT_EQ(RowsOf(*search, "H"), (QStringList{"HOSTA/Available", "HOSTB/Offline"}));
    search->GroupByColumn(2);
    EXPECT_EQ(Headers(*search), (QStringList{"-", "HOSTA", "HOSTB", "LONER"}));
}

TEST_F(LanSearchFormTest, SecondOpeningBringsTheWindowForwardWithoutANewSearch)
{
    CBrowseNetForm* search = Open();
    ASSERT_TRUE(WaitComplete(*search));
    const int lookups = lookups_;
    EXPECT_EQ(Open(), search);
    QCoreApplication::processEvents();
    EXPECT_TRUE(search->isVisible());
    EXPECT_EQ(search->SearchesStarted(), 1);
    EXPECT_EQ(lookups_, lookups);
    EXPECT_EQ(form_->Windows().Count(), 1u);
}

TEST_F(LanSearchFormTest, StopSilencesTheSearchAndStartSearchesAgain)
{
    gateOpen_ = false;  // the search waits at HOSTB
    CBrowseNetForm* search = Open();
    ASSERT_TRUE(WaitFor([&] { return search->List().Rows().size() == 3; }));
    EXPECT_EQ(search->StatusText(), "Searching...");
    EXPECT_TRUE(search->StopAction().isEnabled());
    EXPECT_FALSE(search->StartAction().isEnabled());

    search->StopSearch();
    EXPECT_EQ(search->StatusText(), "Search terminated");
    EXPECT_TRUE(search->StartAction().isEnabled());
    gateOpen_ = true;
    const int lookups = lookups_;
    WaitUntil(  // lets the stopped search run out
        [] {
            QCoreApplication::processEvents();
            return false;
        },
        std::chrono::milliseconds(300));
    EXPECT_EQ(lookups_, lookups) << "the stopped search looks up no further computer";
    EXPECT_EQ(search->StatusText(), "Search terminated");
    EXPECT_EQ(search->List().Rows().size(), 3u);

    search->StartSearch();
    EXPECT_EQ(search->StatusText(), "Searching...");
    EXPECT_EQ(search->View().topLevelItemCount(), 0) << "a new search starts with an empty list";
    ASSERT_TRUE(WaitComplete(*search));
    EXPECT_EQ(search->List().Rows().size(), 5u);
}

TEST_F(LanSearchFormTest, ContextMenuOnlyOnARowAndEscapeKeepsThePlacement)
{
    CBrowseNetForm* search = Open();
    ASSERT_TRUE(WaitComplete(*search));
    Q_EMIT search->View().customContextMenuRequested(QPoint(5, 5));
    EXPECT_FALSE(search->ContextMenu().isVisible()) << "no row selected";
    search->SelectRow(1);
    Q_EMIT search->View().customContextMenuRequested(QPoint(5, 5));
    EXPECT_TRUE(search->ContextMenu().isVisible());
    EXPECT_EQ(search->ContextMenu().defaultAction()->text(), "Write message");
    search->ContextMenu().hide();

    search->move(40, 30);
    search->resize(500, 420);
    QSignalSpy destroyed(search, &QObject::destroyed);
    QTest::keyClick(search, Qt::Key_Escape);
    ASSERT_TRUE(WaitFor([&] { return destroyed.count() == 1; }));
    EXPECT_EQ(form_->Windows().Count(), 0u);

    search = Open();
    ASSERT_NE(search, nullptr);
    EXPECT_EQ(search->pos(), QPoint(40, 30));
    EXPECT_EQ(search->size(), QSize(500, 420));
    EXPECT_EQ(search->SearchesStarted(), 1) << "a new window searches at once";
}

}  // namespace
