#include "ui/options/c_options_form_pg_rd_msg_dlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/options/pl_options_pages.h"
#include "app/settings/pl_option_table.h"
#include "ui/common/pl_qt_text.h"

namespace {

constexpr std::int32_t kTextPopupGroup = 902;
constexpr std::int32_t kTextClose = 903;
constexpr std::int32_t kTextManually = 904;
constexpr std::int32_t kTextAfter = 905;
constexpr std::int32_t kTextSeconds = 906;
constexpr std::int32_t kTextActionGroup = 907;
constexpr std::int32_t kTextUponReceiving = 908;
constexpr std::int32_t kTextPopup = 909;
constexpr std::int32_t kTextArchive = 910;
constexpr std::int32_t kTextNothing = 911;
constexpr std::int32_t kTextSound = 912;
constexpr int kNumberWidth = 50;

}  // namespace

COptionsFormPgRdMsgDlg::COptionsFormPgRdMsgDlg(PlOptionsPageContext& context, QWidget* parent)
    : PlOptionsPage(context, parent)
{
    namespace id = pl::option_id;
    namespace options = pl::options;
    QGroupBox* actions = AddGroup(kTextActionGroup);
    auto* actionLayout = new QVBoxLayout(actions);
    actionLayout->addWidget(new QLabel(Tx(kTextUponReceiving), actions));
    for (QRadioButton* radio :
         Radios({kTextPopup, kTextArchive, kTextNothing}, options::ReceiveActionChoice(Edited(id::kRecvMsgMainAct)),
                id::kRecvMsgMainAct, options::ReceiveActionValue, actions))
        actionLayout->addWidget(radio);
    actionLayout->addWidget(CheckBox(kTextSound, id::kRecvMsgSoundNotify, actions));

    QGroupBox* popup = AddGroup(kTextPopupGroup);
    auto* popupLayout = new QVBoxLayout(popup);
    popupLayout->addWidget(new QLabel(Tx(kTextClose), popup));
    const std::vector<QRadioButton*> radios =
        Radios({kTextManually, kTextAfter}, options::PopupCloseChoice(Edited(id::kRecvMsgPopWndAutoclose)),
               id::kRecvMsgPopWndAutoclose, options::PopupCloseValue, popup);
    popupLayout->addWidget(radios[0]);
    auto* deadline = new QHBoxLayout();
    deadline->addWidget(radios[1]);
    QLineEdit* seconds = NumberEdit(id::kRecvMsgPopWndDeadline, popup);
    seconds->setFixedWidth(kNumberWidth);
    deadline->addWidget(seconds);
    deadline->addWidget(new QLabel(Tx(kTextSeconds), popup));
    deadline->addStretch(1);
    popupLayout->addLayout(deadline);
    EndPage();
}
