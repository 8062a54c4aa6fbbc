#include "ui/search/c_browse_net_form.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QStatusBar>
#include <QToolBar>

#include "ui/common/pl_qt_placement.h"
#include "ui/common/pl_qt_text.h"
#include "ui/common/pl_trace.h"
#include "ui/main/c_main_form.h"

namespace {

namespace search = pl::search;

constexpr std::int32_t kTextTitle = 1801;
constexpr std::int32_t kTextStart = 1802;
constexpr std::int32_t kTextStop = 1803;
constexpr std::int32_t kTextFirstColumn = 1804;  // Name, Comment, Computer, Domain, Status
constexpr std::int32_t kTextSearching = 1811;
constexpr std::int32_t kTextComplete = 1812;
constexpr std::int32_t kTextTerminated = 1813;
constexpr std::int32_t kTextWrite = 1814;
constexpr std::int32_t kTextAddContact = 1815;
constexpr std::int32_t kTextHistory = 1816;

constexpr int kColumnWidths[search::kColumnCount] = {130, 200, 100, 100, 50};
constexpr QSize kDefaultSize(640, 600);
constexpr QSize kMinimumSize(300, 150);
constexpr int kButtonPollMs = 100;
constexpr int kIndentation = 8;  // rows under their group header
constexpr int kRowRole = Qt::UserRole;

// The contact list's pictures: user or computer, domain or workgroup, and
// both offline.
const char* const kPictures[] = {":/icons/recipient-user.svg", ":/icons/recipient-workgroup.svg",
                                 ":/icons/contact-user-offline.svg", ":/icons/contact-workgroup-offline.svg"};

}  // namespace

CBrowseNetForm::CBrowseNetForm(CMainForm& main)
    : main_(main),
      browser_(main.Core().Browser()),
      list_(Ss(Tx(search::kTextAvailable)), Ss(Tx(search::kTextOffline))),
      found_(this, &CBrowseNetForm::OnFound),
      finished_(this, &CBrowseNetForm::OnFinished)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Tx(kTextTitle));
    setMinimumSize(kMinimumSize);
    for (std::size_t i = 0; i < pictures_.size(); ++i)
        pictures_[i] = QIcon(QString::fromLatin1(kPictures[i]));
    BuildWidgets();
    buttonTimer_.setInterval(kButtonPollMs);
    connect(&buttonTimer_, &QTimer::timeout, this, &CBrowseNetForm::UpdateButtons);
    Place();
    StartSearch();
}

CBrowseNetForm::~CBrowseNetForm()
{
    // A window destroyed without being closed still silences its search:
    // after Cancel returns the browse thread calls neither functor again.
    if (searching_)
        browser_->Cancel();
}

void CBrowseNetForm::BuildWidgets()
{
    QToolBar* tools = addToolBar(QString());
    tools->setMovable(false);
    tools->setFloatable(false);
    tools->setIconSize(QSize(18, 18));
    tools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    tools->toggleViewAction()->setVisible(false);
    start_ = tools->addAction(QIcon(QStringLiteral(":/icons/search-start.svg")), Tx(kTextStart), this,
                              &CBrowseNetForm::StartSearch);
    stop_ = tools->addAction(QIcon(QStringLiteral(":/icons/search-stop.svg")), Tx(kTextStop), this,
                             &CBrowseNetForm::StopSearch);

    view_ = new QTreeWidget(this);
    view_->setColumnCount(search::kColumnCount);
    QStringList headers;
    for (int column = 0; column < search::kColumnCount; ++column)
        headers << Tx(kTextFirstColumn + column);
    view_->setHeaderLabels(headers);
    for (int column = 0; column < search::kColumnCount; ++column)
        view_->setColumnWidth(column, kColumnWidths[column]);
    view_->setRootIsDecorated(false);
    view_->setIndentation(kIndentation);
    view_->setItemsExpandable(false);
    view_->setExpandsOnDoubleClick(false);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setIconSize(QSize(20, 16));
    view_->setUniformRowHeights(true);
    view_->header()->setSectionsClickable(true);
    view_->header()->setSortIndicatorShown(false);
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view_->header(), &QHeaderView::sectionClicked, this, &CBrowseNetForm::GroupByColumn);
    connect(view_, &QWidget::customContextMenuRequested, this, &CBrowseNetForm::OnContextMenu);
    connect(view_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item->data(0, kRowRole).isValid())
            WriteMessage();
    });
    setCentralWidget(view_);

    status_ = new QLabel(this);
    status_->setTextFormat(Qt::PlainText);
    statusBar()->addWidget(status_, 1);
    statusBar()->setSizeGripEnabled(true);

    QAction* write = menu_.addAction(Tx(kTextWrite), this, &CBrowseNetForm::WriteMessage);
    menu_.addAction(Tx(kTextAddContact), this, &CBrowseNetForm::AddToContacts);
    menu_.addAction(Tx(kTextHistory), this, &CBrowseNetForm::ViewHistory);
    menu_.setDefaultAction(write);
}

void CBrowseNetForm::Place()
{
    if (PlRestoreWindow(main_.Core().Placements(), kPlacementName, *this, kPlacementMask))
        return;
    PlCentreWindow(*this, kDefaultSize);
}

// ---- searching ----

void CBrowseNetForm::StartSearch()
{
    if (searching_)
        browser_->Cancel();  // a second search would deliver into the same list
    ++generation_;           // an end of the last search still on its way is not this one's
    {
        std::lock_guard lock(pendingLock_);
        pending_.clear();  // what the previous search left undrained
    }
    list_.Clear();
    view_->clear();
    groupItems_.clear();
    status_->setText(Tx(kTextSearching));
    ++searches_;
    PlTrace(QStringLiteral("lan search: searching"));
    if (browser_ == nullptr) {
        status_->setText(Tx(kTextComplete));  // a messenger that does not browse finds nothing
        UpdateButtons();
        return;
    }
    // The browse list of the provider fills while the program runs: the tree
    // is taken afresh, not left as the last two-minute refresh saw it.
    browser_->Refresh();
    browser_->Search(&found_, &finished_);
    searching_ = true;
    UpdateButtons();
    buttonTimer_.start();
}

void CBrowseNetForm::StopSearch()
{
    if (searching_)
        browser_->Cancel();
    searching_ = false;
    status_->setText(Tx(kTextTerminated));
    PlTrace(QStringLiteral("lan search: search terminated"));
    UpdateButtons();
}

void CBrowseNetForm::OnFound(PlNetResourceInfo record)
{
    {
        std::lock_guard lock(pendingLock_);
        pending_.push_back(std::move(record));
    }
    QMetaObject::invokeMethod(
        this, [this] { Drain(); }, Qt::QueuedConnection);
}

void CBrowseNetForm::OnFinished()
{
    QMetaObject::invokeMethod(
        this,
        [this, generation = generation_.load()] {
            if (generation != generation_)
                return;
            searching_ = false;
            Drain();
            status_->setText(Tx(kTextComplete));
            PlTrace(QStringLiteral("lan search: search complete"));
            UpdateButtons();
        },
        Qt::QueuedConnection);
}

void CBrowseNetForm::Drain()
{
    std::vector<PlNetResourceInfo> records;
    {
        std::lock_guard lock(pendingLock_);
        records.swap(pending_);
    }
    for (const PlNetResourceInfo& record : records) {
        ShowRow(list_.Add(record));
        PlTrace(QStringLiteral("lan search: %1 | %2 | %3 | %4 | %5")
                    .arg(Qs(record.name), Qs(record.comment), Qs(record.computer), Qs(record.domain),
                         Tx(search::StatusTextId(record))));
    }
}

void CBrowseNetForm::UpdateButtons()
{
    const bool finished = browser_ == nullptr || browser_->SearchFinished();
    start_->setEnabled(finished);
    stop_->setEnabled(!finished);
    if (finished)
        buttonTimer_.stop();
}

// ---- the list ----

void CBrowseNetForm::ShowRow(std::size_t index)
{
    const search::PlLanSearchList::Row& row = list_.Rows()[index];
    const PlNetResourceInfo& record = row.record;
    auto* item = new QTreeWidgetItem(GroupItem(row.group));
    item->setText(0, Qs(record.name));
    item->setIcon(0, pictures_[static_cast<std::size_t>(search::PictureOf(record))]);
    item->setData(0, kRowRole, static_cast<qulonglong>(index));
    item->setText(1, Qs(record.comment));
    item->setText(2, Qs(record.computer));
    item->setText(3, Qs(record.domain));
    item->setText(4, Tx(search::StatusTextId(record)));
}

// The group's header row, created in the byte order of the headers.
QTreeWidgetItem* CBrowseNetForm::GroupItem(int group)
{
    if (const auto found = groupItems_.find(group); found != groupItems_.end())
        return found->second;
    const std::vector<search::PlLanSearchList::Group> groups = list_.Groups();
    int position = 0;
    QString header;
    for (const auto& candidate : groups) {
        if (candidate.id == group) {
            header = Qs(candidate.header);
            break;
        }
        if (groupItems_.count(candidate.id) != 0)
            ++position;
    }
    auto* item = new QTreeWidgetItem();
    item->setText(0, header);
    item->setFlags(Qt::ItemIsEnabled);  // a header is no row: it is never selected
    QFont bold = view_->font();
    bold.setBold(true);
    item->setFont(0, bold);
    view_->insertTopLevelItem(position, item);
    item->setFirstColumnSpanned(true);
    item->setExpanded(true);
    groupItems_[group] = item;
    return item;
}

void CBrowseNetForm::GroupByColumn(int column)
{
    const auto grouping = search::GroupingOfColumn(column);
    if (!grouping)
        return;
    list_.Regroup(*grouping);
    ShowAllRows();
}

void CBrowseNetForm::ShowAllRows()
{
    view_->clear();
    groupItems_.clear();
    for (std::size_t index = 0; index < list_.Rows().size(); ++index)
        ShowRow(index);
}

void CBrowseNetForm::SelectRow(std::size_t index)
{
    for (int group = 0; group < view_->topLevelItemCount(); ++group) {
        QTreeWidgetItem* header = view_->topLevelItem(group);
        for (int child = 0; child < header->childCount(); ++child)
            if (header->child(child)->data(0, kRowRole).toULongLong() == index)
                view_->setCurrentItem(header->child(child));
    }
}

const PlNetResourceInfo* CBrowseNetForm::SelectedRecord() const
{
    const QList<QTreeWidgetItem*> selected = view_->selectedItems();
    if (selected.isEmpty() || !selected.front()->data(0, kRowRole).isValid())
        return nullptr;
    const auto index = static_cast<std::size_t>(selected.front()->data(0, kRowRole).toULongLong());
    return index < list_.Rows().size() ? &list_.Rows()[index].record : nullptr;
}

// ---- commands ----

void CBrowseNetForm::OnContextMenu(const QPoint& position)
{
    if (SelectedRecord() != nullptr)
        menu_.popup(view_->viewport()->mapToGlobal(position));
}

void CBrowseNetForm::WriteMessage()
{
    if (const PlNetResourceInfo* record = SelectedRecord())
        main_.OpenCompose(Qs(record->name), search::RecipientType(*record));
}

void CBrowseNetForm::AddToContacts()
{
    if (const PlNetResourceInfo* record = SelectedRecord())
        main_.ShowContactEdit(std::nullopt, search::ContactOf(*record));
}

void CBrowseNetForm::ViewHistory()
{
    if (const PlNetResourceInfo* record = SelectedRecord())
        main_.ShowHistoryOf(Qs(record->name));
}

void CBrowseNetForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void CBrowseNetForm::closeEvent(QCloseEvent* event)
{
    StopSearch();
    PlSaveWindow(main_.Core().Placements(), kPlacementName, *this, kPlacementMask);
    event->accept();
}
