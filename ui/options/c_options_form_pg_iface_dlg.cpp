#include "ui/options/c_options_form_pg_iface_dlg.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/settings/pl_option_table.h"
#include "ui/common/pl_qt_text.h"

namespace {

constexpr std::int32_t kTextGroup = 1602;
constexpr std::int32_t kTextOnSuccess = 1603;
constexpr std::int32_t kTextSuccessSound = 1604;
constexpr std::int32_t kTextOnFailure = 1605;
constexpr std::int32_t kTextFailureText = 1606;
constexpr std::int32_t kTextFailureSound = 1607;
constexpr int kIndent = 16;

}  // namespace

COptionsFormPgIfaceDlg::COptionsFormPgIfaceDlg(PlOptionsPageContext& context, QWidget* parent)
    : PlOptionsPage(context, parent)
{
    namespace id = pl::option_id;
    QGroupBox* group = AddGroup(kTextGroup);
    auto* layout = new QVBoxLayout(group);
    const auto indented = [&](QWidget* widget) {
        widget->setContentsMargins(kIndent, 0, 0, 0);
        layout->addWidget(widget);
    };
    layout->addWidget(new QLabel(Tx(kTextOnSuccess), group));
    indented(CheckBox(kTextSuccessSound, id::kMsgSendSuccessSoundNotify, group));
    layout->addWidget(new QLabel(Tx(kTextOnFailure), group));
    indented(CheckBox(kTextFailureText, id::kMsgSendFailTextNotify, group));
    indented(CheckBox(kTextFailureSound, id::kMsgSendFailSoundNotify, group));
    EndPage();
}
