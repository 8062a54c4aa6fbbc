#include "ui/grid/pl_abstract_grid.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>
#include <algorithm>

namespace {

constexpr QRgb kBackground = qRgb(255, 255, 255);
constexpr QRgb kSelection = qRgb(153, 204, 255);
constexpr QRgb kSeparator = qRgb(128, 128, 128);

}  // namespace

PlAbstractGrid::PlAbstractGrid(QWidget* parent) : QAbstractScrollArea(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Base, QColor(kBackground));
    palette.setColor(QPalette::Text, Qt::black);  // on the white rows, whatever the theme
    viewport()->setPalette(palette);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    viewport()->setContextMenuPolicy(Qt::PreventContextMenu);
    // A wheel over the scroll bar scrolls as over the rows: one row a notch.
    verticalScrollBar()->installEventFilter(this);
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setPageStep(1);
    verticalScrollBar()->setRange(0, 0);  // no rows yet (RowCount is the subclass's)
    verticalScrollBar()->setEnabled(false);
}

void PlAbstractGrid::SetSelected(std::int32_t row)
{
    selected_ = row;
    UpdateScrollBar();
    Repaint();
}

void PlAbstractGrid::SetFirstVisible(std::int32_t row)
{
    first_ = row;
    UpdateScrollBar();
    Repaint();
}

int PlAbstractGrid::ColumnWidth(int column) const
{
    return columns_.at(static_cast<std::size_t>(column));
}

void PlAbstractGrid::SetColumnWidth(int column, int width)
{
    columns_.at(static_cast<std::size_t>(column)) = width;
}

void PlAbstractGrid::Update(PlObservationSubject&)
{
    UpdateScrollBar();
    Repaint();
}

void PlAbstractGrid::UpdateScrollBar()
{
    const std::int32_t rows = std::max<std::int32_t>(RowCount(), 0);
    // The rows may have become fewer: the first visible row stays within
    // what the scroll bar can show.
    first_ = std::clamp<std::int32_t>(first_, 0, rows);
    QScrollBar* bar = verticalScrollBar();
    const QSignalBlocker quiet(bar);
    bar->setRange(0, rows);
    bar->setValue(first_);
    bar->setEnabled(rows > 0);
}

void PlAbstractGrid::Repaint()
{
    ++repaints_;
    viewport()->update();
}

// ---- layout and painting ----

void PlAbstractGrid::PaintRows(QPainter& painter)
{
    painter.setFont(font());
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setPen(QPen(QColor(kSeparator), 1, Qt::DotLine));
    const int width = viewport()->width();
    const int height = viewport()->height();
    const std::int32_t rows = RowCount();
    int y = 0;
    for (std::int32_t row = first_; row < rows && y < height; ++row) {
        const int rowHeight = RowHeight(row);
        if (row == selected_)
            painter.fillRect(QRect(kGap, y + 1, width - 2 * kGap, rowHeight - 3), QColor(kSelection));
        int x = kGap;
        for (int column = 0; column < ColumnCount(); ++column) {
            DrawCell(painter, column, row, x, y, x + columns_[column], y + rowHeight);
            x += columns_[column] + kGap;
        }
        y += rowHeight + kGap;
    }
}

std::int32_t PlAbstractGrid::RowAt(int y)
{
    const int height = viewport()->height();
    const std::int32_t rows = RowCount();
    int top = 0;
    for (std::int32_t row = first_; row < rows && top < height; ++row) {
        const int rowHeight = RowHeight(row);
        if (y >= top && y < top + rowHeight)
            return row;
        top += rowHeight + kGap;
    }
    return -1;
}

void PlAbstractGrid::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    PaintRows(painter);
}

void PlAbstractGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    LayoutColumns();
}

// ---- mouse ----

void PlAbstractGrid::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)
        return QAbstractScrollArea::mousePressEvent(event);
    const std::int32_t row = RowAt(event->position().toPoint().y());
    if (row != selected_)
        SetSelected(row);
}

void PlAbstractGrid::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton && menu_)
        menu_->popup(viewport()->mapToGlobal(event->position().toPoint()));
    event->accept();
}

void PlAbstractGrid::wheelEvent(QWheelEvent* event)
{
    Wheel(event->angleDelta().y());
    event->accept();
}

bool PlAbstractGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == verticalScrollBar() && event->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

// One notch towards the user scrolls one row down. A wheel or touchpad that
// reports parts of a notch scrolls once the parts make a whole one.
void PlAbstractGrid::Wheel(int delta)
{
    wheelRest_ += delta;
    const int rows = wheelRest_ / -kWheelNotch;
    wheelRest_ += rows * kWheelNotch;
    const std::int32_t first = std::clamp<std::int32_t>(first_ + rows, 0, std::max<std::int32_t>(RowCount(), 0));
    if (first == first_)
        return;
    first_ = first;
    UpdateScrollBar();
    Repaint();
}

// The scroll bar moved by the user: arrows and page clicks by one row, the
// thumb, and "top" and "bottom" of its menu.
void PlAbstractGrid::scrollContentsBy(int, int)
{
    first_ = verticalScrollBar()->value();
    UpdateScrollBar();
    Repaint();
}
