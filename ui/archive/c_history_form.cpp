#include "ui/archive/c_history_form.h"

#include <QCloseEvent>
#include <QDateEdit>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QSaveFile>
#include <QScreen>
#include <QStackedWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <array>

#include "archive/pl_contacts_manager.h"
#include "ui/common/pl_clipboard.h"
#include "ui/common/pl_qt_placement.h"
#include "ui/common/pl_qt_text.h"
#include "ui/grid/pl_data_set_grid.h"
#include "ui/main/pl_qt_date_time_format.h"

namespace {

// Interface texts of the archive window.
constexpr std::int32_t kTextTitle = 1201;
constexpr std::array<std::int32_t, PlArchivePages::kCount> kTextPages{1202, 1203, 1204, 1205};
constexpr std::int32_t kTextFromTo = 1206;
constexpr std::int32_t kTextPeriod = 1207;
constexpr std::int32_t kTextWriteTo = 1208;
constexpr std::int32_t kTextCopy = 1209;
constexpr std::int32_t kTextDelete = 1210;
constexpr std::int32_t kTextHeader = 1211;
constexpr std::int32_t kTextSearch = 1212;
constexpr std::int32_t kTextExport = 1213;
constexpr std::int32_t kTextTextFiles = 1214;
constexpr std::int32_t kTextCsvFiles = 1215;
constexpr std::int32_t kTextNotWritten = 1216;
constexpr std::int32_t kTextChoose = 1217;
constexpr std::int32_t kTextApply = 1218;

constexpr std::array<const char*, PlArchivePages::kCount> kPageImages{
    ":/icons/archive-incoming.svg", ":/icons/archive-outgoing.svg", ":/icons/archive-dialog.svg",
    ":/icons/archive-filter.svg"};
constexpr QSize kImageSize(18, 22);
constexpr int kControlsMargin = 4;

PlLocalTime Day(const QDate& date)
{
    return PlLocalTime{date.year(), date.month(), date.day()};
}

// The user's short date, with the whole year so that no century is guessed.
QString DateFormat()
{
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QStringLiteral("yyyy")))
        format.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    return format;
}

QDateEdit* DatePicker(QWidget* parent)
{
    auto* picker = new QDateEdit(QDate::currentDate(), parent);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(DateFormat());
    picker->setMinimumDate(QDate(1601, 1, 1));  // the archive's times start there
    return picker;
}

QString WithoutEllipsis(QString text)
{
    while (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

}  // namespace

CHistoryForm::CHistoryForm(PlMessageArchive& archive, PlHistoryFormLinks links)
    : pages_(archive), links_(std::move(links))
{
    setWindowFlag(Qt::Window);
    setWindowTitle(Tx(kTextTitle));
    setMinimumSize(kMinWidth, kMinHeight);
    BuildContextMenu();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(BuildToolBar());
    stack_ = new QStackedWidget(this);
    for (int page = 0; page < PlArchivePages::kCount; ++page)
        stack_->addWidget(BuildPage(page));
    layout->addWidget(stack_, 1);
    SelectPage(PlArchivePages::kIncoming);
    PlaceAtStart();
}

CHistoryForm::~CHistoryForm() = default;

// ---- building ----

QWidget* CHistoryForm::BuildToolBar()
{
    auto* bar = new QToolBar(this);
    bar->setIconSize(kImageSize);
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->setMovable(false);
    for (int page = 0; page < PlArchivePages::kCount; ++page) {
        auto* button = new QToolButton(bar);
        button->setText(Tx(kTextPages[page]));
        button->setIcon(QIcon(QString::fromLatin1(kPageImages[page])));
        button->setCheckable(true);
        button->setAutoRaise(true);
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        connect(button, &QToolButton::clicked, this, [this, page] { SelectPage(page); });
        bar->addWidget(button);
        pageButtons_[page] = button;
    }
    auto* space = new QWidget(bar);
    space->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(space);
    auto* exportButton = new QToolButton(bar);
    exportButton->setText(Tx(kTextExport));
    exportButton->setIcon(QIcon(QStringLiteral(":/icons/archive-export.svg")));
    exportButton->setAutoRaise(true);
    exportButton->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    connect(exportButton, &QToolButton::clicked, this, &CHistoryForm::Export);
    bar->addWidget(exportButton);
    return bar;
}

QWidget* CHistoryForm::BuildPage(int page)
{
    auto* widget = new QWidget(this);
    auto* layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (page == PlArchivePages::kDialog)
        layout->addWidget(BuildDialogControls());
    else if (page == PlArchivePages::kFilter)
        layout->addWidget(BuildFilterControls());
    auto* grid = new PlDataSetGrid(widget);
    grid->SetHeaderText(Ss(Tx(kTextHeader)));
    grid->SetContextMenu(menu_);
    grid->SetDataSet(&pages_.View(page));
    layout->addWidget(grid, 1);
    grids_[page] = grid;
    return widget;
}

QToolButton* CHistoryForm::ImageButton(const QString& image, const QString& tip, void (CHistoryForm::*command)())
{
    auto* button = new QToolButton(this);
    button->setIcon(QIcon(image));
    button->setIconSize(kImageSize);
    button->setToolTip(tip);
    button->setAutoRaise(true);
    connect(button, &QToolButton::clicked, this, [this, command] { (this->*command)(); });
    return button;
}

QWidget* CHistoryForm::BuildDialogControls()
{
    auto* controls = new QWidget(this);
    auto* row = new QHBoxLayout(controls);
    row->setContentsMargins(kControlsMargin, kControlsMargin, kControlsMargin, kControlsMargin);
    row->addWidget(new QLabel(Tx(kTextFromTo), controls));
    dialogName_ = new QLineEdit(controls);
    connect(dialogName_, &QLineEdit::returnPressed, this, &CHistoryForm::ApplyDialogFilter);
    row->addWidget(dialogName_, 1);
    row->addWidget(
        ImageButton(QStringLiteral(":/icons/archive-contact.svg"), Tx(kTextChoose), &CHistoryForm::ChooseContact));
    row->addWidget(
        ImageButton(QStringLiteral(":/icons/archive-apply.svg"), Tx(kTextApply), &CHistoryForm::ApplyDialogFilter));
    return controls;
}

QWidget* CHistoryForm::BuildFilterControls()
{
    auto* controls = new QWidget(this);
    auto* grid = new QGridLayout(controls);
    grid->setContentsMargins(kControlsMargin, kControlsMargin, kControlsMargin, kControlsMargin);
    periodFrom_ = DatePicker(controls);
    periodTo_ = DatePicker(controls);
    auto* period = new QHBoxLayout();
    period->addWidget(periodFrom_);
    period->addWidget(periodTo_);
    period->addStretch(1);
    grid->addWidget(new QLabel(Tx(kTextPeriod), controls), 0, 0);
    grid->addLayout(period, 0, 1);

    filterName_ = new QLineEdit(controls);
    connect(filterName_, &QLineEdit::returnPressed, this, &CHistoryForm::ApplyManualFilter);
    auto* name = new QHBoxLayout();
    name->addWidget(filterName_, 1);
    name->addWidget(
        ImageButton(QStringLiteral(":/icons/archive-contact.svg"), Tx(kTextChoose), &CHistoryForm::ChooseContact));
    name->addWidget(
        ImageButton(QStringLiteral(":/icons/archive-apply.svg"), Tx(kTextApply), &CHistoryForm::ApplyManualFilter));
    grid->addWidget(new QLabel(Tx(kTextFromTo), controls), 1, 0);
    grid->addLayout(name, 1, 1);

    searchText_ = new QLineEdit(controls);
    searchText_->setClearButtonEnabled(true);
    connect(searchText_, &QLineEdit::returnPressed, this, &CHistoryForm::ApplyManualFilter);
    grid->addWidget(new QLabel(Tx(kTextSearch), controls), 2, 0);
    grid->addWidget(searchText_, 2, 1);
    grid->setColumnStretch(1, 1);
    return controls;
}

void CHistoryForm::BuildContextMenu()
{
    menu_ = new QMenu(this);
    menu_->addAction(Tx(kTextWriteTo), this, &CHistoryForm::WriteToSender);
    menu_->addSeparator();
    menu_->addAction(Tx(kTextCopy), this, &CHistoryForm::CopyMessage);
    menu_->addSeparator();
    menu_->addAction(Tx(kTextDelete), this, &CHistoryForm::DeleteMessage);
}

// Where the window was when the program last ended, when that is still on a
// screen; otherwise the lower left corner of the primary screen's work area.
void CHistoryForm::PlaceAtStart()
{
    if (links_.placements != nullptr && PlRestoreWindow(*links_.placements, kPlacementName, *this, kPlacementMask))
        return;
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    setGeometry(area.left() + kScreenMargin, area.bottom() + 1 - kScreenMargin - kDefaultHeight, kDefaultWidth,
                kDefaultHeight);
}

// ---- operations of the other windows ----

void CHistoryForm::SelectPage(int page)
{
    if (page < 0 || page >= PlArchivePages::kCount)
        return;
    page_ = page;
    for (int other = 0; other < PlArchivePages::kCount; ++other)
        pageButtons_[other]->setChecked(other == page);
    stack_->setCurrentIndex(page);
}

void CHistoryForm::ShowPage(int page)
{
    if (page != PlArchivePages::kIncoming)
        return;  // the others are shown as they are
    PlDataSetGrid& grid = Grid(page);
    grid.SetSelected(0);
    grid.SetFirstVisible(0);
}

void CHistoryForm::SetFromToFilter(const QString& name)
{
    SelectPage(PlArchivePages::kDialog);
    dialogName_->setText(name);
    ApplyDialogFilter();
}

void CHistoryForm::SetTopmost(bool topmost)
{
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == topmost)
        return;
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, topmost);  // hides a shown window
    if (visible)
        show();
}

void CHistoryForm::ContactPicked(std::int32_t row)
{
    if (page_ != PlArchivePages::kDialog && page_ != PlArchivePages::kFilter)
        return;
    if (links_.contacts == nullptr)
        return;
    const std::optional<PlContactItem> item = links_.contacts->ItemAt(row);
    if (!item)
        return;
    FromToEdit(page_).setText(Qs(item->record.realName));
    if (page_ == PlArchivePages::kDialog)
        ApplyDialogFilter();
    else
        ApplyManualFilter();
}

// ---- commands ----

void CHistoryForm::ApplyDialogFilter()
{
    pages_.ApplyDialog(Ss(dialogName_->text()));
}

void CHistoryForm::ApplyManualFilter()
{
    pages_.ApplyManual(Ss(filterName_->text()), Day(periodFrom_->date()), Day(periodTo_->date()),
                       Ss(searchText_->text()));
}

void CHistoryForm::ChooseContact()
{
    if (links_.chooseContact)
        links_.chooseContact(*this);
}

void CHistoryForm::WriteToSender()
{
    const std::optional<std::string> sender = pages_.Sender(page_, Grid(page_).GetSelected());
    if (sender && links_.writeTo)
        links_.writeTo(Qs(*sender));
}

void CHistoryForm::CopyMessage()
{
    if (const std::optional<std::string> text = pages_.MessageText(page_, Grid(page_).GetSelected()))
        PlClipboard(QsLines(*text));
}

void CHistoryForm::DeleteMessage()
{
    std::string problem;
    if (!pages_.Delete(page_, Grid(page_).GetSelected(), &problem) && !problem.empty())
        qWarning("parlino: the archive could not delete the message: %s", problem.c_str());
}

void CHistoryForm::Export()
{
    const QString textFiles = Tx(kTextTextFiles);
    const QString csvFiles = Tx(kTextCsvFiles);
    QFileDialog dialog(this, WithoutEllipsis(Tx(kTextExport)));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({textFiles, csvFiles});
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
        dialog.setDefaultSuffix(filter == csvFiles ? QStringLiteral("csv") : QStringLiteral("txt"));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    const bool csv =
        dialog.selectedNameFilter() == csvFiles || path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
    if (!ExportTo(path, csv ? PlExportFormat::kCsv : PlExportFormat::kText))
        QMessageBox::warning(this, windowTitle(), Tx(kTextNotWritten) + QStringLiteral("\n") + path);
}

bool CHistoryForm::ExportTo(const QString& path, PlExportFormat format)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const PlQtDateTimeFormat dateFormat;
    PlExportRecords(pages_.View(page_), format, Ss(Tx(kTextHeader)), dateFormat,
                    [&file](std::string_view chunk) { file.write(chunk.data(), static_cast<qint64>(chunk.size())); });
    return file.commit();  // false, the old file kept, after any failed write
}

// ---- hiding and closing ----

void CHistoryForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

// The close box hides the window; a close the program asks for (at its end)
// saves the placement and lets the window go.
void CHistoryForm::closeEvent(QCloseEvent* event)
{
    if (event->spontaneous()) {
        event->ignore();
        hide();
        return;
    }
    if (links_.placements != nullptr)
        PlSaveWindow(*links_.placements, kPlacementName, *this, kPlacementMask);
    // The window is going: its grids stop observing the views now, since it
    // may be deleted later than the views (after the archive's shutdown).
    for (PlDataSetGrid* grid : grids_)
        grid->SetDataSet(nullptr);
    event->accept();
}

void CHistoryForm::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        QTimer::singleShot(0, this, [this] {
            setWindowState(windowState() & ~Qt::WindowMinimized);
            hide();
        });
}
