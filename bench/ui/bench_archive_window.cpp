// The archive window's speed: painting a full viewport of the message grid,
// scrolling it through 1,000 rows, and opening the window until its grid has
// painted, at 1,000 and at 100,000 archived messages; with a bare Qt
// baseline of each in the same run (the same texts drawn by QPainter alone,
// a plain window shown). Also the search page's filter over the whole
// archive with and without a text, and an export of 100,000 rows. Runs on
// Qt's offscreen platform.
//   bench_archive_window [--benchmark_filter=...]

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDate>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>

#include "app/archive_view/pl_archive_export.h"
#include "app/archive_view/pl_archive_pages.h"
#include "app/archive_view/pl_archive_record.h"
#include "app/archive_view/pl_archive_row_text.h"
#include "app/core/pl_message_archive.h"
#include "app/texts/pl_builtin_texts.h"
#include "app/texts/pl_text_table.h"
#include "archive_fill.h"
#include "storage/pl_clock.h"
#include "tests/support/pl_temp_folder.h"
#include "ui/archive/c_history_form.h"
#include "ui/common/pl_qt_text.h"
#include "ui/common/pl_resources.h"
#include "ui/grid/pl_data_set_grid.h"
#include "ui/main/pl_qt_date_time_format.h"

namespace {

constexpr int kViewportWidth = 450;
constexpr int kViewportHeight = 280;
constexpr int kScrollRows = 1000;

// An archive of `rows` received messages of the last two days, its views open.
struct Archive {
    explicit Archive(int rows)
    {
        FillArchive(folder.Path("msgarchive.qdb"), ArchiveFill::kAllReceived, rows, PlSystemClock().NowLocalFileTime());
        archive.Open(folder.Path("msgarchive.qdb"), 3);
    }
    PlTempFolder folder;
    PlMessageArchive archive;
};

Archive& ArchiveOf(int rows)
{
    static std::map<int, std::unique_ptr<Archive>> archives;
    auto& slot = archives[rows];
    if (!slot)
        slot = std::make_unique<Archive>(rows);
    return *slot;
}

// A grid of the window's size over the received messages, shown.
std::unique_ptr<PlDataSetGrid> GridOver(PlMessageArchive& archive)
{
    auto grid = std::make_unique<PlDataSetGrid>();
    grid->SetHeaderText(Ss(Tx(1211)));
    grid->SetDataSet(&archive.Received());
    grid->resize(kViewportWidth + grid->verticalScrollBar()->sizeHint().width() + 2, kViewportHeight + 2);
    grid->show();
    QCoreApplication::processEvents();
    return grid;
}

void Paint(PlDataSetGrid& grid, QImage& image)
{
    grid.viewport()->render(&image);
}

void BM_GridPaintViewport(benchmark::State& state)
{
    Archive& fixture = ArchiveOf(static_cast<int>(state.range(0)));
    auto grid = GridOver(fixture.archive);
    grid->SetFirstVisible(static_cast<std::int32_t>(state.range(0) / 2));
    QImage image(grid->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state)
        Paint(*grid, image);
    state.counters["rows"] = static_cast<double>(fixture.archive.Received().RecordCount());
    int drawn = 0;
    for (int y = 0; y < kViewportHeight; ++y)
        drawn = std::max(drawn, grid->RowAt(y) - grid->GetFirstVisible() + 1);
    state.counters["drawn"] = drawn;
}
BENCHMARK(BM_GridPaintViewport)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// The baseline: the texts of the same rows, prepared beforehand, drawn
// word-wrapped by QPainter alone down to the viewport's bottom (no data set,
// no selection or separators; QPainter measures each text as it draws it).
void BM_BaselinePaintTexts(benchmark::State& state)
{
    Archive& fixture = ArchiveOf(static_cast<int>(state.range(0)));
    PlMsgLogDataSet2& view = fixture.archive.Received();
    const PlQtDateTimeFormat format;
    QStringList texts;
    for (auto row = static_cast<std::int32_t>(state.range(0) / 2); texts.size() < 20; ++row)
        texts << QsLines(PlArchiveRowText(*PlReadArchiveRecord(view, row), Ss(Tx(1211)), format));
    QImage image(kViewportWidth, kViewportHeight, QImage::Format_ARGB32_Premultiplied);
    int drawnRows = 0;
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        int y = 0;
        drawnRows = 0;
        for (const QString& text : texts) {
            if (y >= kViewportHeight)
                break;
            QRect drawn;
            painter.drawText(QRect(3, y, kViewportWidth - 6, kViewportHeight), Qt::TextWordWrap, text, &drawn);
            y += drawn.height() + 8;
            ++drawnRows;
        }
    }
    state.counters["drawn"] = drawnRows;
}
BENCHMARK(BM_BaselinePaintTexts)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// 1,000 steps of one row, each painted, from the middle of the archive.
void BM_GridScroll1000Rows(benchmark::State& state)
{
    Archive& fixture = ArchiveOf(static_cast<int>(state.range(0)));
    auto grid = GridOver(fixture.archive);
    const auto start = static_cast<std::int32_t>((state.range(0) - kScrollRows) / 2);
    QImage image(grid->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        for (std::int32_t row = start; row < start + kScrollRows; ++row) {
            grid->SetFirstVisible(row);
            Paint(*grid, image);
        }
    }
}
BENCHMARK(BM_GridScroll1000Rows)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Flags the first paint of a widget.
class PaintSeen : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* event) override
    {
        painted = painted || event->type() == QEvent::Paint;
        return false;
    }
};

void WaitForPaint(const PaintSeen& seen)
{
    while (!seen.painted)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// From the request to the window shown with its received messages painted:
// the window is created, page 0 selected from the newest message, shown.
void BM_OpenArchiveWindow(benchmark::State& state)
{
    Archive& fixture = ArchiveOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto form = std::make_unique<CHistoryForm>(fixture.archive, PlHistoryFormLinks{});
        PaintSeen seen;
        form->Grid(0).viewport()->installEventFilter(&seen);
        form->SelectPage(0);
        form->ShowPage(0);
        form->show();
        WaitForPaint(seen);
        state.PauseTiming();
        form.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenArchiveWindow)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The baseline: a plain window of the same size with one label, shown and painted.
void BM_BaselineOpenBareWindow(benchmark::State& state)
{
    for (auto _ : state) {
        auto window = std::make_unique<QLabel>(QStringLiteral("Message archive"));
        window->resize(CHistoryForm::kDefaultWidth, CHistoryForm::kDefaultHeight);
        PaintSeen seen;
        window->installEventFilter(&seen);
        window->show();
        WaitForPaint(seen);
        state.PauseTiming();
        window.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BaselineOpenBareWindow)->Unit(benchmark::kMillisecond);

// The search page over the whole archive (today and yesterday), without and
// with a text to find.
void ApplySearch(benchmark::State& state, const std::string& text)
{
    Archive& fixture = ArchiveOf(static_cast<int>(state.range(0)));
    PlArchivePages pages(fixture.archive);
    const QDate today = QDate::currentDate();
    const PlLocalTime first{today.addDays(-2).year(), today.addDays(-2).month(), today.addDays(-2).day()};
    const PlLocalTime last{today.year(), today.month(), today.day()};
    for (auto _ : state)
        pages.ApplyManual("", first, last, text);
    state.counters["found"] = static_cast<double>(fixture.archive.Search().RecordCount());
}

void BM_SearchPeriodOnly(benchmark::State& state)
{
    ApplySearch(state, "");
}
BENCHMARK(BM_SearchPeriodOnly)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_SearchPeriodAndText(benchmark::State& state)
{
    ApplySearch(state, "Room 42,");
}
BENCHMARK(BM_SearchPeriodAndText)->Arg(100000)->Unit(benchmark::kMillisecond);

// Export of the received list, every row, into memory (the file's writes
// left out).
void BM_ExportRows(benchmark::State& state)
{
    Archive& fixture = ArchiveOf(100000);
    const auto format = state.range(0) == 0 ? PlExportFormat::kText : PlExportFormat::kCsv;
    const PlQtDateTimeFormat dateFormat;
    std::size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        PlExportRecords(fixture.archive.Received(), format, Ss(Tx(1211)), dateFormat,
                        [&bytes](std::string_view chunk) { bytes += chunk.size(); });
    }
    state.counters["MiB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
}
BENCHMARK(BM_ExportRows)->ArgName("csv")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    PlInitResources();
    PlAddAllDefaults(PlTextTable::Instance());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
