// The archive window: its pages and buttons, the dialog filter that another
// window sets, the search's whole days and text, a contact picked on each
// page, what Copy puts on the clipboard, a deletion that every page shows,
// and hiding by Escape and the close box while a close by the program saves
// the placement.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDateEdit>
#include <QLineEdit>
#include <QScrollBar>
#include <QSpontaneKeyEvent>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>
#include <QWindow>

#include "archive/pl_contacts_manager.h"
#include "ui/archive/c_history_form.h"
#include "ui/grid/pl_data_set_grid.h"
#include "ui_archive.h"

namespace {

constexpr int kIncoming = PlArchivePages::kIncoming;
constexpr int kDialog = PlArchivePages::kDialog;
constexpr int kFilter = PlArchivePages::kFilter;

class HistoryFormTest : public ::testing::Test {
protected:
    HistoryFormTest() : registry_(archive_.folder.Path("registry.reg")), placements_(registry_)
    {
        links_.contacts = &contacts_;
        links_.placements = &placements_;
        links_.writeTo = [this](const QString& recipient) { writtenTo_ << recipient; };
    }
    CHistoryForm& Form()
    {
        if (!form_)
            form_ = std::make_unique<CHistoryForm>(archive_.archive, links_);
        return *form_;
    }
    int Rows(int page) { return Form().Grid(page).DataSet()->RecordCount(); }

    UiArchive archive_;
    PlRegistryFile registry_;
    PlPlacementStore placements_;
    PlContactsManager contacts_;
    PlHistoryFormLinks links_;
    QStringList writtenTo_;
    std::unique_ptr<CHistoryForm> form_;
};

TEST_F(HistoryFormTest, ButtonsSelectPagesAndShowPageStartsAtTheNewest)
{
    archive_.Store("BOB", "HOSTA", "hi");
    CHistoryForm& form = Form();
    form.show();
    EXPECT_EQ(form.CurrentPage(), kIncoming);
    EXPECT_EQ(form.windowTitle(), "Message archive");
    QTest::mouseClick(&form.PageButton(kFilter), Qt::LeftButton);
    EXPECT_EQ(form.CurrentPage(), kFilter);
    for (int page = 0; page < PlArchivePages::kCount; ++page) {
        EXPECT_EQ(form.PageButton(page).isChecked(), page == kFilter) << page;
        EXPECT_EQ(form.Grid(page).isVisible(), page == kFilter) << page;
    }
    QTest::mouseClick(&form.PageButton(kFilter), Qt::LeftButton);  // stays checked
    EXPECT_TRUE(form.PageButton(kFilter).isChecked());

    form.Grid(kIncoming).SetFirstVisible(1);
    form.SelectPage(kIncoming);
    form.ShowPage(kIncoming);
    EXPECT_EQ(form.Grid(kIncoming).GetFirstVisible(), 0);
    EXPECT_EQ(form.Grid(kIncoming).GetSelected(), 0);
}

TEST_F(HistoryFormTest, AnotherWindowSetsTheDialogFilter)
{
    archive_.Store("CAROL", "HOSTA", "from carol");
    archive_.Store("HOSTA", "Carol", "to carol", 5, '2');
    archive_.Store("DAVE", "HOSTA", "from dave");
    CHistoryForm& form = Form();
    EXPECT_EQ(Rows(kDialog), 3);  // every name until a name is set
    form.SetFromToFilter("carol");
    EXPECT_EQ(form.CurrentPage(), kDialog);
    EXPECT_EQ(form.FromToEdit(kDialog).text(), "carol");
    EXPECT_EQ(Rows(kDialog), 2);
}

TEST_F(HistoryFormTest, TheSearchCoversWholeDaysAndNarrowsByText)
{
    const auto at = [](int day, int hour, int minute, int second, int ms) {
        return PlFileTimeFromLocal({2024, 3, day, hour, minute, second, ms});
    };
    archive_.StoreAt(at(9, 23, 59, 59, 999), "BOB", "HOSTA", "the day before");
    archive_.StoreAt(at(10, 0, 0, 0, 0), "BOB", "HOSTA", "at midnight");
    archive_.StoreAt(at(10, 23, 59, 59, 999), "ALICE", "HOSTA", "lunch? the last moment");
    archive_.StoreAt(at(11, 0, 0, 0, 0), "BOB", "HOSTA", "the day after");
    CHistoryForm& form = Form();
    form.SelectPage(kFilter);
    form.PeriodFrom().setDate(QDate(2024, 3, 10));
    form.PeriodTo().setDate(QDate(2024, 3, 10));
    QTest::keyClick(&form.FromToEdit(kFilter), Qt::Key_Return);
    EXPECT_EQ(Rows(kFilter), 2);
    EXPECT_EQ(form.Grid(kFilter).verticalScrollBar()->maximum(), 2);

    form.SearchText().setText("LUNCH");
    QTest::keyClick(&form.SearchText(), Qt::Key_Return);
    EXPECT_EQ(Rows(kFilter), 1);
    form.SearchText().clear();
    form.FromToEdit(kFilter).setText("bob");
    form.ApplyManualFilter();
    EXPECT_EQ(Rows(kFilter), 1);
}

TEST_F(HistoryFormTest, APickedContactFiltersOnlyTheDialogAndFilterPages)
{
    contacts_.AddContact({kContactUser, "carol", "Carol", "Friends", 1});  // row 1, below its group
    archive_.Store("CAROL", "HOSTA", "from carol");
    archive_.Store("DAVE", "HOSTA", "from dave");
    CHistoryForm& form = Form();
    for (int page : {PlArchivePages::kIncoming, PlArchivePages::kOutcoming}) {
        form.SelectPage(page);
        form.ContactPicked(1);
    }
    EXPECT_EQ(form.FromToEdit(kDialog).text(), "");
    EXPECT_EQ(Rows(kDialog), 2);
    form.SelectPage(kDialog);
    form.ContactPicked(1);
    EXPECT_EQ(form.FromToEdit(kDialog).text(), "carol");
    EXPECT_EQ(Rows(kDialog), 1);
    form.SelectPage(kFilter);
    // The page starts at today, and ten minutes ago may be yesterday.
    form.PeriodFrom().setDate(QDate::currentDate().addDays(-1));
    form.ContactPicked(7);  // no such row
    EXPECT_EQ(form.FromToEdit(kFilter).text(), "");
    form.ContactPicked(1);
    EXPECT_EQ(form.FromToEdit(kFilter).text(), "carol");
    EXPECT_EQ(Rows(kFilter), 1);
}

TEST_F(HistoryFormTest, CopyTakesTheMessageAloneAndWriteTheSender)
{
    archive_.Store("BOB", "HOSTA", "first line\r\nsecond line");
    CHistoryForm& form = Form();
    QApplication::clipboard()->setText("before");
    form.CopyMessage();  // no row selected
    EXPECT_EQ(QApplication::clipboard()->text(), "before");
    form.Grid(kIncoming).SetSelected(0);
    form.CopyMessage();
    EXPECT_EQ(QApplication::clipboard()->text(), "first line\nsecond line");
    form.WriteToSender();
    EXPECT_EQ(writtenTo_, QStringList{"BOB"});
}

TEST_F(HistoryFormTest, ADeletionShowsOnEveryPage)
{
    archive_.Store("BOB", "HOSTA", "older", 20);
    archive_.Store("BOB", "HOSTA", "newer", 10);
    CHistoryForm& form = Form();
    form.SelectPage(kFilter);
    form.PeriodFrom().setDate(QDate::currentDate().addDays(-1));
    form.ApplyManualFilter();
    form.SelectPage(kDialog);
    form.Grid(kDialog).SetSelected(0);
    form.DeleteMessage();
    for (int page : {kIncoming, kDialog, kFilter}) {
        EXPECT_EQ(Rows(page), 1) << page;
        EXPECT_EQ(form.Grid(page).verticalScrollBar()->maximum(), 1) << page;
    }
    form.Grid(kDialog).SetSelected(5);  // past the end: nothing happens
    form.DeleteMessage();
    EXPECT_EQ(Rows(kIncoming), 1);
}

TEST_F(HistoryFormTest, EscapeAndTheCloseBoxHideWhileTheProgramsCloseSavesThePlacement)
{
    CHistoryForm& form = Form();
    form.show();
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    form.SelectPage(kDialog);
    form.show();
    QCloseEvent closeBox;  // as the window system sends it for the close box
    QSpontaneKeyEvent::setSpontaneous(&closeBox);
    QApplication::sendEvent(form.windowHandle(), &closeBox);
    EXPECT_FALSE(form.isVisible());
    PlWindowPlacement saved;
    EXPECT_FALSE(placements_.RestorePlacement("msgarchive", saved, CHistoryForm::kPlacementMask));
    form.show();
    EXPECT_EQ(form.CurrentPage(), kDialog);  // reopened as it was

    form.setGeometry(40, 50, 500, 400);
    EXPECT_TRUE(form.close());
    for (int page = 0; page < PlArchivePages::kCount; ++page)  // it may be deleted after the views
        EXPECT_EQ(form.Grid(page).DataSet(), nullptr);
    ASSERT_TRUE(placements_.RestorePlacement("msgarchive", saved, CHistoryForm::kPlacementMask));
    EXPECT_EQ(saved, (PlWindowPlacement{40, 50, 540, 450, PlWindowPlacement::Show::Normal, true}));
    form_.reset();
    EXPECT_EQ(Form().geometry(), QRect(40, 50, 500, 400));  // a new window starts there
}

}  // namespace
