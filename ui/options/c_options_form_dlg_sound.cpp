#include "ui/options/c_options_form_dlg_sound.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QIcon>
#include <QVBoxLayout>
#include <algorithm>

#include "app/options/pl_options_pages.h"
#include "app/settings/pl_option_table.h"
#include "ui/common/pl_qt_text.h"

namespace {

namespace options = pl::options;

constexpr std::int32_t kTextEnable = 802;
constexpr std::int32_t kTextEvent = 803;
constexpr std::int32_t kTextFile = 804;
constexpr std::int32_t kTextBrowse = 103;
constexpr int kEventWidth = 150;
constexpr int kFileWidth = 180;

}  // namespace

COptionsFormDlgSound::COptionsFormDlgSound(PlOptionsPageContext& context, QWidget* parent)
    : PlOptionsPage(context, parent)
{
    auto* page = static_cast<QVBoxLayout*>(layout());
    page->addWidget(CheckBox(kTextEnable, pl::option_id::kSoundEnabled, this));

    list_ = new QTreeWidget(this);
    list_->setHeaderLabels({Tx(kTextEvent), Tx(kTextFile)});
    list_->setColumnWidth(0, kEventWidth);
    list_->setColumnWidth(1, kFileWidth);
    list_->setRootIsDecorated(false);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    for (const options::ListRow& row : options::SoundRows())
        new QTreeWidgetItem(list_, {Tx(row.text), Qs(Edited(row.option).Text())});
    // A translation's longer texts widen the column rather than being cut.
    list_->resizeColumnToContents(0);
    list_->setColumnWidth(0, std::max(list_->columnWidth(0), kEventWidth));
    page->addWidget(list_, 1);

    auto* fileRow = new QHBoxLayout();
    file_ = new QLineEdit(this);
    fileRow->addWidget(file_, 1);
    browse_ = new QPushButton(Tx(kTextBrowse), this);
    browse_->setAutoDefault(false);
    fileRow->addWidget(browse_);
    auto* play = new QPushButton(QIcon(QStringLiteral(":/icons/sound-play.svg")), QString(), this);
    play->setAutoDefault(false);
    fileRow->addWidget(play);
    page->addLayout(fileRow);

    connect(list_, &QTreeWidget::currentItemChanged, this, &COptionsFormDlgSound::OnSelection);
    connect(file_, &QLineEdit::editingFinished, this, [this] { StoreEdit(list_->currentItem()); });
    connect(browse_, &QPushButton::clicked, this, &COptionsFormDlgSound::Browse);
    connect(play, &QPushButton::clicked, this, &COptionsFormDlgSound::Play);
    list_->setCurrentItem(list_->topLevelItem(0));
}

COptionsFormDlgSound::~COptionsFormDlgSound() = default;

void COptionsFormDlgSound::Commit()
{
    StoreEdit(list_->currentItem());
}

void COptionsFormDlgSound::OnSelection(QTreeWidgetItem* current, QTreeWidgetItem* previous)
{
    StoreEdit(previous);
    file_->setText(current != nullptr ? current->text(1) : QString());
    file_->setModified(false);
    browse_->setEnabled(current != nullptr);
}

// The edit's text for `row`, when it was changed by hand.
void COptionsFormDlgSound::StoreEdit(QTreeWidgetItem* row)
{
    if (row == nullptr || !file_->isModified())
        return;
    const auto& event = options::SoundRows()[list_->indexOfTopLevelItem(row)];
    Store(event.option, OptionValue::FromText(Ss(file_->text())));
    row->setText(1, file_->text());
    file_->setModified(false);
}

void COptionsFormDlgSound::Browse()
{
    if (list_->currentItem() == nullptr)
        return;
    QFileDialog dialog(this, QString(), file_->text());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("Wave Files (*.wav)"), QStringLiteral("All Files (*)")});
    dialog.setDefaultSuffix(QStringLiteral("wav"));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        ChooseFile(dialog.selectedFiles().front());
}

void COptionsFormDlgSound::ChooseFile(const QString& path)
{
    QTreeWidgetItem* row = list_->currentItem();
    if (row == nullptr)
        return;
    file_->setText(path);
    file_->setModified(true);
    StoreEdit(row);
}

void COptionsFormDlgSound::Play()
{
    if (file_->text().isEmpty())
        return;
    if (!player_)
        player_ = std::make_unique<pl::PlSoundPlayer>();
    player_->Play(Ss(file_->text()));
}
