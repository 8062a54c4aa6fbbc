#include "ui/options/c_options_form_dlg_hist.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/settings/pl_option_table.h"
#include "ui/common/pl_qt_text.h"

namespace {

constexpr std::int32_t kTextWindowGroup = 1702;
constexpr std::int32_t kTextOnTop = 1703;
constexpr std::int32_t kTextListGroup = 1704;
constexpr std::int32_t kTextDisplayLast = 1705;
constexpr std::int32_t kTextDays = 1706;
constexpr int kNumberWidth = 50;

}  // namespace

COptionsFormDlgHist::COptionsFormDlgHist(PlOptionsPageContext& context, QWidget* parent)
    : PlOptionsPage(context, parent)
{
    namespace id = pl::option_id;
    QGroupBox* window = AddGroup(kTextWindowGroup);
    auto* windowLayout = new QVBoxLayout(window);
    windowLayout->addWidget(CheckBox(kTextOnTop, id::kMsgArcOnTop, window));

    QGroupBox* list = AddGroup(kTextListGroup);
    auto* listLayout = new QHBoxLayout(list);
    auto* label = new QLabel(Tx(kTextDisplayLast), list);
    label->setWordWrap(true);
    listLayout->addWidget(label, 1);
    QLineEdit* days = NumberEdit(id::kMsgArcShowDays, list);
    days->setFixedWidth(kNumberWidth);
    listLayout->addWidget(days);
    listLayout->addWidget(new QLabel(Tx(kTextDays), list));
    EndPage();
}
