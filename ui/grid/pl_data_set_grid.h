#pragma once
// PlDataSetGrid: the grid over a data set of archived messages, one row per
// record: the row's text (date, time, header line, message) word-wrapped
// into the width of the grid, as high as its text plus 5 pixels, with a
// dotted line below it. It observes its data set and repaints when the data
// set notifies.
//
// Threads: the user-interface thread only, as its data set.

#include <QString>
#include <memory>
#include <string>

#include "storage/pl_data_set.h"
#include "ui/grid/pl_abstract_grid.h"
#include "ui/grid/pl_wrapped_text.h"
#include "ui/main/pl_qt_date_time_format.h"

class PlDataSetGrid : public PlAbstractGrid {
    Q_OBJECT

public:
    static constexpr int kRowPadding = 5;  // added to a row's text height

    explicit PlDataSetGrid(QWidget* parent = nullptr);
    ~PlDataSetGrid() override;

    // Not owned; the grid attaches itself as an observer (and leaves the
    // data set it showed before).
    void SetDataSet(PlDataSet* dataSet);
    PlDataSet* DataSet() const { return dataSet_; }
    // The header line's two-argument text ("%1 wrote to %2:").
    void SetHeaderText(const std::string& header) { header_ = header; }

    // 0 without a data set; else the height of the row's text wrapped into
    // column 0, plus kRowPadding.
    int RowHeight(std::int32_t row) override;
    void DrawCell(QPainter& painter, int column, std::int32_t row, int left, int top, int right, int bottom) override;
    // The data set's record count; 0 without one.
    std::int32_t RowCount() override;
    // Column 0 takes the viewport's width less the gaps on both sides.
    void LayoutColumns() override;
    // The record's text as the archive lists show it; empty past the end.
    QString RowText(std::int32_t row) override;

private:
    // The row's text laid out in column 0's width; the layout of the row
    // measured last is kept, so that drawing it does not lay it out again.
    const PlWrappedText& Wrapped(std::int32_t row);

    PlDataSet* dataSet_ = nullptr;
    std::string header_;
    PlQtDateTimeFormat dateFormat_;
    std::unique_ptr<PlWrappedText> last_;
};
