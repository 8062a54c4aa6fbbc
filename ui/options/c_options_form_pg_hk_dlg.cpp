#include "ui/options/c_options_form_pg_hk_dlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

#include "app/options/pl_options_pages.h"
#include "app/settings/pl_option_table.h"
#include "platform/hotkeys/pl_hot_key_value.h"
#include "ui/common/pl_qt_text.h"

namespace {

constexpr std::int32_t kTextEnable = 1902;
constexpr std::int32_t kTextAction = 1903;
constexpr std::int32_t kTextKey = 1904;
constexpr std::int32_t kTextHotKey = 1909;
constexpr std::int32_t kTextSet = 107;
constexpr int kActionWidth = 150;
constexpr int kKeyWidth = 180;

QString KeyText(const OptionValue& value)
{
    return Qs(pl::PlHotKeyText(static_cast<std::uint32_t>(value.Integer())));
}

}  // namespace

COptionsFormPgHKDlg::COptionsFormPgHKDlg(PlOptionsPageContext& context, QWidget* parent)
    : PlOptionsPage(context, parent)
{
    auto* page = static_cast<QVBoxLayout*>(layout());
    page->addWidget(CheckBox(kTextEnable, pl::option_id::kHotKeyEnabled, this));

    list_ = new QTreeWidget(this);
    list_->setHeaderLabels({Tx(kTextAction), Tx(kTextKey)});
    list_->setColumnWidth(0, kActionWidth);
    list_->setColumnWidth(1, kKeyWidth);
    list_->setRootIsDecorated(false);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    for (const pl::options::ListRow& row : pl::options::HotKeyRows())
        new QTreeWidgetItem(list_, {Tx(row.text), KeyText(Edited(row.option))});
    // A translation's longer texts widen the column rather than being cut.
    list_->resizeColumnToContents(0);
    list_->setColumnWidth(0, std::max(list_->columnWidth(0), kActionWidth));
    page->addWidget(list_, 1);

    auto* entryRow = new QHBoxLayout();
    entryRow->addWidget(new QLabel(Tx(kTextHotKey), this));
    entry_ = new PlHotKeyEdit(this);
    entryRow->addWidget(entry_, 1);
    set_ = new QPushButton(Tx(kTextSet), this);
    set_->setAutoDefault(false);
    entryRow->addWidget(set_);
    page->addLayout(entryRow);

    connect(list_, &QTreeWidget::itemSelectionChanged, this, &COptionsFormPgHKDlg::OnSelection);
    connect(set_, &QPushButton::clicked, this, &COptionsFormPgHKDlg::OnSet);
    OnSelection();
}

void COptionsFormPgHKDlg::OnSelection()
{
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    entry_->setEnabled(!selected.isEmpty());
    set_->setEnabled(!selected.isEmpty());
    if (selected.isEmpty())
        return;
    const auto& row = pl::options::HotKeyRows()[list_->indexOfTopLevelItem(selected.front())];
    entry_->SetValue(static_cast<std::uint16_t>(Edited(row.option).Integer()));
}

void COptionsFormPgHKDlg::OnSet()
{
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty())
        return;
    const auto& row = pl::options::HotKeyRows()[list_->indexOfTopLevelItem(selected.front())];
    const OptionValue value = OptionValue::FromInteger(entry_->Value());
    Store(row.option, value);
    selected.front()->setText(1, KeyText(value));
}
