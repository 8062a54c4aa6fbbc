#include "ui/options/c_options_form_dlg_tray.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/options/pl_options_pages.h"
#include "app/settings/pl_option_table.h"
#include "ui/common/pl_qt_text.h"

namespace {

constexpr std::int32_t kTextGroup = 1502;
constexpr std::int32_t kTextOpens = 1503;
constexpr std::int32_t kTextContactList = 1504;
constexpr std::int32_t kTextArchive = 1505;

}  // namespace

COptionsFormDlgTray::COptionsFormDlgTray(PlOptionsPageContext& context, QWidget* parent)
    : PlOptionsPage(context, parent)
{
    namespace id = pl::option_id;
    QGroupBox* group = AddGroup(kTextGroup);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(new QLabel(Tx(kTextOpens), group));
    for (QRadioButton* radio :
         Radios({kTextContactList, kTextArchive}, pl::options::TrayClickChoice(Edited(id::kTrayLeftMouseBtn)),
                id::kTrayLeftMouseBtn, pl::options::TrayClickValue, group))
        layout->addWidget(radio);
    EndPage();
}
