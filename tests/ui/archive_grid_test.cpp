// The message grid: rows as high as their wrapped text plus 5 pixels, clicks
// in the gaps between rows, the scroll bar's limits, the wheel by notches
// (and parts of notches), and rows that follow the data set's changes.

#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <cmath>

#include "ui/grid/pl_data_set_grid.h"
#include "ui_archive.h"

namespace {

class GridTest : public ::testing::Test {
protected:
    void Show(PlDataSet& dataSet)
    {
        grid_.SetHeaderText("%1 wrote to %2:");
        grid_.SetDataSet(&dataSet);
        grid_.resize(400, 300);
        grid_.show();
        QApplication::processEvents();
    }
    void Click(int y, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(grid_.viewport(), button, {}, QPoint(20, y));
    }
    void Wheel(int delta)
    {
        const QPointF at(20, 20);
        QWheelEvent event(at, grid_.viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid_.viewport(), &event);
    }
    QScrollBar& Bar() { return *grid_.verticalScrollBar(); }

    UiArchive archive_;
    PlDataSetGrid grid_;
};

TEST_F(GridTest, RowsAreAsHighAsTheirWrappedTextAndFive)
{
    archive_.Store("BOB", "HOSTA", std::string(60, 'w') + " " + std::string(300, 'x'), 20);  // wraps
    archive_.Store("BOB", "HOSTA", "one\r\ntwo\r\nthree", 10);
    Show(archive_.archive.Received());
    const double line = QFontMetricsF(grid_.font()).height();
    // Header, empty line, three lines of text.
    EXPECT_EQ(grid_.RowHeight(0), static_cast<int>(std::ceil(5 * line)) + PlDataSetGrid::kRowPadding);
    // A word wider than the row breaks (300 x are several rows wide); no line
    // runs past the visible width.
    EXPECT_GE(grid_.RowHeight(1), static_cast<int>(std::ceil(6 * line)) + PlDataSetGrid::kRowPadding);
    EXPECT_EQ(grid_.ColumnWidth(0) + 2 * PlAbstractGrid::kGap, grid_.viewport()->width());
    EXPECT_THROW(grid_.ColumnWidth(1), std::out_of_range);
}

TEST_F(GridTest, AClickInAGapOrBelowTheRowsClearsTheSelection)
{
    archive_.Store("BOB", "HOSTA", "older", 20);
    archive_.Store("BOB", "HOSTA", "newer", 10);
    Show(archive_.archive.Received());
    const int first = grid_.RowHeight(0);
    Click(2);
    EXPECT_EQ(grid_.GetSelected(), 0);
    Click(first + 1);  // the 3-pixel gap
    EXPECT_EQ(grid_.GetSelected(), -1);
    Click(first + PlAbstractGrid::kGap, Qt::RightButton);
    EXPECT_EQ(grid_.GetSelected(), 1);
    Click(first + PlAbstractGrid::kGap + grid_.RowHeight(1) + 20);  // below the last row
    EXPECT_EQ(grid_.GetSelected(), -1);
}

TEST_F(GridTest, TheScrollBarCountsRowsUpToAnEmptyControl)
{
    Show(archive_.archive.Sent());
    EXPECT_FALSE(Bar().isEnabled());  // nothing to scroll
    EXPECT_EQ(grid_.RowAt(0), -1);

    for (int i = 0; i < 3; ++i)
        archive_.Store("HOSTA", "BOB", "sent " + std::to_string(i), 10 + i, '2');
    EXPECT_TRUE(Bar().isEnabled());
    EXPECT_EQ(Bar().maximum(), 3);
    for (int i = 0; i < 5; ++i)
        Bar().triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(grid_.GetFirstVisible(), 3);  // RowCount at most
    EXPECT_EQ(grid_.RowAt(0), -1);          // and the control is empty
    Bar().triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(grid_.GetFirstVisible(), 2);
    Bar().triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(grid_.GetFirstVisible(), 0);
    EXPECT_EQ(grid_.RowAt(0), 0);
}

TEST_F(GridTest, AWheelNotchScrollsOneRowAndNothingAboveTheFirst)
{
    for (int i = 0; i < 5; ++i)
        archive_.Store("BOB", "HOSTA", "message " + std::to_string(i), 10 + i);
    Show(archive_.archive.Received());
    const int repaints = grid_.RepaintRequests();
    Wheel(120);  // away from the user, at row 0
    EXPECT_EQ(grid_.GetFirstVisible(), 0);
    EXPECT_EQ(grid_.RepaintRequests(), repaints);
    Wheel(-120);
    EXPECT_EQ(grid_.GetFirstVisible(), 1);
    EXPECT_EQ(Bar().value(), 1);
    Wheel(-60);  // half notches, as touchpads send them
    EXPECT_EQ(grid_.GetFirstVisible(), 1);
    Wheel(-60);
    EXPECT_EQ(grid_.GetFirstVisible(), 2);
    Wheel(-1200);
    EXPECT_EQ(grid_.GetFirstVisible(), 5);
}

TEST_F(GridTest, FewerRowsKeepTheFirstVisibleWithinTheList)
{
    for (int i = 0; i < 4; ++i)
        archive_.Store("BOB", "HOSTA", "message " + std::to_string(i), 10 + i);
    Show(archive_.archive.Received());
    grid_.SetFirstVisible(4);
    archive_.archive.Received().DeleteRecord(0);
    EXPECT_EQ(Bar().maximum(), 3);
    EXPECT_EQ(grid_.GetFirstVisible(), 3);
}

}  // namespace
