#pragma once
// PlAbstractGrid: a vertically scrolling list of word-wrapped rows of
// different heights, with one selected row and a context menu. Rows are laid
// out from the first visible row down, 3 pixels apart; cells start 3 pixels
// from the left. The scroll bar counts rows: range 0 … RowCount, one row per
// step and per page, its position the first visible row, disabled when
// there is nothing to scroll. A wheel notch scrolls one row.
//
// Each paint measures and draws only the rows from the first visible one to
// the bottom of the viewport, so painting and scrolling cost the same for
// ten rows as for a hundred thousand. Subclasses supply the rows.
//
// Threads: the user-interface thread only; Update comes from a data set's
// Notify, which runs there.

#include <QAbstractScrollArea>
#include <QMenu>
#include <QPointer>
#include <cstdint>
#include <vector>

#include "storage/pl_observer.h"

class QPainter;

class PlAbstractGrid : public QAbstractScrollArea, public PlObserver {
    Q_OBJECT

public:
    static constexpr int kGap = 3;  // between rows, and before each cell
    static constexpr int kWheelNotch = 120;

    explicit PlAbstractGrid(QWidget* parent = nullptr);

    // The selected row, −1 for none. Setting updates the scroll bar and
    // repaints.
    std::int32_t GetSelected() const { return selected_; }
    void SetSelected(std::int32_t row);
    // The first visible row, 0 … RowCount. Setting updates the scroll bar
    // and repaints.
    std::int32_t GetFirstVisible() const { return first_; }
    void SetFirstVisible(std::int32_t row);

    // Column widths in pixels; a column index that does not exist throws
    // std::out_of_range. There is one column of 500 after construction.
    int ColumnWidth(int column) const;
    void SetColumnWidth(int column, int width);
    int ColumnCount() const { return static_cast<int>(columns_.size()); }

    // The menu shown at the cursor when the right button is released over
    // the rows; not owned (its actions belong to the grid's owner).
    void SetContextMenu(QMenu* menu) { menu_ = menu; }

    // The row at a viewport's y, walked as a paint lays the rows out; −1 in
    // a gap between rows and below the last row.
    std::int32_t RowAt(int y);

    // Paints the rows as a paint event does, on any painter of the
    // viewport's size.
    void PaintRows(QPainter& painter);

    // How often the grid asked for a repaint (for tests).
    int RepaintRequests() const { return repaints_; }

    // PlObserver: the rows changed; the scroll bar is updated and the grid
    // repainted.
    void Update(PlObservationSubject& subject) override;

protected:
    // The height of a row in pixels.
    virtual int RowHeight(std::int32_t row) = 0;
    // Draws a cell into the rectangle [left, right) × [top, bottom).
    virtual void DrawCell(QPainter& painter, int column, std::int32_t row, int left, int top, int right,
                          int bottom) = 0;
    virtual std::int32_t RowCount() = 0;
    // Called after every size change.
    virtual void LayoutColumns() = 0;
    virtual QString RowText(std::int32_t row) = 0;

    // Scroll range and position from the rows and the first visible row.
    void UpdateScrollBar();
    void Repaint();

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Wheel(int delta);

    std::int32_t selected_ = -1;
    std::int32_t first_ = 0;
    std::vector<int> columns_{500};
    QPointer<QMenu> menu_;
    int wheelRest_ = 0;  // part of a notch not scrolled yet (touchpads)
    int repaints_ = 0;
};
