#include "ui/options/c_options_form_pg_gen_dlg.h"

#include <QVBoxLayout>

#include "app/options/pl_options_pages.h"
#include "app/settings/pl_option_table.h"
#include "ui/common/pl_qt_text.h"

namespace {

constexpr std::int32_t kTextLaunchGroup = 702;
constexpr std::int32_t kTextAutostart = 703;
constexpr std::int32_t kTextLanguageGroup = 704;
constexpr std::int32_t kTextSelect = 705;
constexpr std::int32_t kTextTranslator = 706;
constexpr std::int32_t kTextVersion = 707;
constexpr std::int32_t kTextRestart = 708;

QLabel* Label(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

}  // namespace

COptionsFormPgGenDlg::COptionsFormPgGenDlg(PlOptionsPageContext& context, QWidget* parent)
    : PlOptionsPage(context, parent), languages_(PlListLanguages(context.languageFolder))
{
    namespace id = pl::option_id;
    QGroupBox* launch = AddGroup(kTextLaunchGroup);
    auto* launchLayout = new QVBoxLayout(launch);
    launchLayout->addWidget(CheckBox(kTextAutostart, id::kAutostart, launch));

    QGroupBox* language = AddGroup(kTextLanguageGroup);
    auto* languageLayout = new QVBoxLayout(language);
    languageLayout->addWidget(Label(Tx(kTextSelect), language));
    list_ = new QListWidget(language);
    for (const PlLanguageInfo& entry : languages_)
        list_->addItem(Qs(entry.languageName));
    languageLayout->addWidget(list_, 1);
    information_ = Label(QString(), language);
    languageLayout->addWidget(information_);
    languageLayout->addWidget(Label(Tx(kTextRestart), language));

    if (const auto chosen = pl::options::ChosenLanguage(languages_, Edited(id::kSysLanguageFile)))
        list_->setCurrentRow(static_cast<int>(*chosen));
    connect(list_, &QListWidget::currentRowChanged, this, &COptionsFormPgGenDlg::OnLanguage);
    OnLanguage(list_->currentRow());
}

void COptionsFormPgGenDlg::OnLanguage(int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= languages_.size())
        return;
    const PlLanguageInfo& entry = languages_[static_cast<std::size_t>(row)];
    information_->setText(QsLines(pl::options::LanguageInfoText(entry, Ss(Tx(kTextTranslator)), Ss(Tx(kTextVersion)))));
    Store(pl::option_id::kSysLanguageFile, OptionValue::FromText(entry.fileName));
}
