#include "ui/options/pl_options_form.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QVBoxLayout>

#include "ui/common/pl_qt_text.h"

namespace {

constexpr std::int32_t kTextTitle = 601;
constexpr std::int32_t kTextOk = 101;
constexpr std::int32_t kTextCancel = 102;
constexpr int kTreeWidth = 180;
const QColor kTitleBackground(128, 128, 128);

}  // namespace

PlOptionsForm::PlOptionsForm(std::function<void()> applied) : applied_(std::move(applied))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Tx(kTextTitle));
    auto* layout = new QGridLayout(this);

    tree_ = new QTreeWidget(this);
    tree_->setHeaderHidden(true);
    tree_->setFixedWidth(kTreeWidth);
    tree_->setRootIsDecorated(false);
    tree_->setItemsExpandable(false);
    tree_->setExpandsOnDoubleClick(false);
    layout->addWidget(tree_, 0, 0, 2, 1);

    title_ = new QLabel(this);
    title_->setTextFormat(Qt::PlainText);
    title_->setAutoFillBackground(true);
    QPalette palette = title_->palette();
    palette.setColor(QPalette::Window, kTitleBackground);
    palette.setColor(QPalette::WindowText, Qt::white);
    title_->setPalette(palette);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);
    title_->setMargin(3);
    layout->addWidget(title_, 0, 1);

    pageArea_ = new QWidget(this);
    auto* pageLayout = new QVBoxLayout(pageArea_);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pageArea_, 1, 1);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line, 2, 0, 1, 2);

    auto* buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(Tx(kTextOk), QDialogButtonBox::AcceptRole);
    cancel_ = buttons->addButton(Tx(kTextCancel), QDialogButtonBox::RejectRole);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &PlOptionsForm::OnOk);
    // Cancel, Escape and the close box reject; done() closes the window.
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons, 3, 0, 1, 2);

    connect(tree_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { OnCurrentChanged(current); });
}

QTreeWidgetItem* PlOptionsForm::AddNode(QTreeWidgetItem* category, const QString& label, const QString& title,
                                        PageFactory page)
{
    auto* item = category != nullptr ? new QTreeWidgetItem(category) : new QTreeWidgetItem(tree_);
    item->setText(0, label);
    if (!page)
        item->setFlags(Qt::ItemIsEnabled);  // a category is never selected
    nodes_[item] = Node{title, std::move(page)};
    return item;
}

void PlOptionsForm::FinishTree(QSize minimum)
{
    tree_->expandAll();
    // Every page fits the area: a translation's longer texts are never cut.
    QSize area = minimum;
    for (const auto& [item, node] : nodes_)
        if (node.page)
            area = area.expandedTo(node.page(nullptr)->minimumSizeHint());
    pageArea_->setFixedSize(area);
    if (tree_->topLevelItemCount() > 0 && tree_->topLevelItem(0)->childCount() > 0)
        tree_->setCurrentItem(tree_->topLevelItem(0)->child(0));
    tree_->setFocus();
    setFixedSize(sizeHint());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void PlOptionsForm::OnCurrentChanged(QTreeWidgetItem* current)
{
    if (current == nullptr)
        return;
    const auto node = nodes_.find(current);
    if (node == nodes_.end())
        return;
    if (!node->second.page) {
        // A category is never the selection: its first page is. Queued, so
        // that the key or click that reached the category has done its
        // selecting first.
        if (current->childCount() > 0)
            QMetaObject::invokeMethod(
                this, [this, page = current->child(0)] { tree_->setCurrentItem(page); }, Qt::QueuedConnection);
        return;
    }
    ShowPage(current);
}

void PlOptionsForm::ShowPage(QTreeWidgetItem* item)
{
    if (PlOptionsPage* old = page_.data(); old != nullptr) {
        old->Commit();
        delete old;
    }
    const Node& node = nodes_.at(item);
    std::unique_ptr<PlOptionsPage> page = node.page(pageArea_);
    PlOptionsPage* shown = page.release();  // owned by the page area from here on
    page_ = shown;
    pageArea_->layout()->addWidget(shown);
    shown->show();
    title_->setText(node.title);
}

void PlOptionsForm::OnOk()
{
    if (PlOptionsPage* page = page_.data(); page != nullptr)
        page->Commit();
    if (applied_)
        applied_();
    accept();
}
