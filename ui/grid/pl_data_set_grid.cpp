#include "ui/grid/pl_data_set_grid.h"

#include <QPainter>

#include "app/archive_view/pl_archive_row_text.h"
#include "ui/common/pl_qt_text.h"

PlDataSetGrid::PlDataSetGrid(QWidget* parent) : PlAbstractGrid(parent) {}

PlDataSetGrid::~PlDataSetGrid()
{
    if (dataSet_ != nullptr)
        dataSet_->Detach(this);
}

void PlDataSetGrid::SetDataSet(PlDataSet* dataSet)
{
    // A grid attached to a data set it no longer shows would be updated by
    // it, and left dangling there once destroyed.
    if (dataSet_ != nullptr)
        dataSet_->Detach(this);
    dataSet_ = dataSet;
    if (dataSet_ != nullptr)
        dataSet_->Attach(this);
    UpdateScrollBar();
    Repaint();
}

std::int32_t PlDataSetGrid::RowCount()
{
    return dataSet_ != nullptr ? dataSet_->RecordCount() : 0;
}

void PlDataSetGrid::LayoutColumns()
{
    SetColumnWidth(0, std::max(viewport()->width() - 2 * kGap, 0));
}

QString PlDataSetGrid::RowText(std::int32_t row)
{
    if (dataSet_ == nullptr)
        return {};
    const auto record = PlReadArchiveRecord(*dataSet_, row);
    return record ? Qs(PlArchiveRowText(*record, header_, dateFormat_)) : QString();
}

const PlWrappedText& PlDataSetGrid::Wrapped(std::int32_t row)
{
    const QString text = RowText(row);
    const int width = ColumnWidth(0);
    if (!last_ || last_->Width() != width || last_->Text() != text)
        last_ = std::make_unique<PlWrappedText>(text, font(), width);
    return *last_;
}

int PlDataSetGrid::RowHeight(std::int32_t row)
{
    if (dataSet_ == nullptr)
        return 0;
    return Wrapped(row).Height() + kRowPadding;
}

void PlDataSetGrid::DrawCell(QPainter& painter, int, std::int32_t row, int left, int top, int right, int bottom)
{
    if (dataSet_ == nullptr)
        return;
    painter.drawLine(left + kGap, bottom, right - 7, bottom);  // up to right − 6, excluded
    const QPen pen = painter.pen();
    painter.setPen(viewport()->palette().color(QPalette::Text));
    Wrapped(row).Draw(painter, left, top);
    painter.setPen(pen);
}
