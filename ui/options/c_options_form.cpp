#include "ui/options/c_options_form.h"

#include "app/options/pl_options_pages.h"
#include "ui/common/pl_qt_text.h"
#include "ui/options/c_options_form_dlg_hist.h"
#include "ui/options/c_options_form_dlg_sound.h"
#include "ui/options/c_options_form_dlg_tray.h"
#include "ui/options/c_options_form_pg_gen_dlg.h"
#include "ui/options/c_options_form_pg_hk_dlg.h"
#include "ui/options/c_options_form_pg_iface_dlg.h"
#include "ui/options/c_options_form_pg_rd_msg_dlg.h"

namespace {

namespace options = pl::options;

constexpr QSize kPageSize(360, 320);

template <typename PageClass>
PlOptionsForm::PageFactory Factory(PlOptionsPageContext& context)
{
    return [&context](QWidget* parent) { return std::make_unique<PageClass>(context, parent); };
}

PlOptionsForm::PageFactory FactoryOf(options::Page page, PlOptionsPageContext& context)
{
    switch (page) {
    case options::Page::System: return Factory<COptionsFormPgGenDlg>(context);
    case options::Page::HotKeys: return Factory<COptionsFormPgHKDlg>(context);
    case options::Page::Sound: return Factory<COptionsFormDlgSound>(context);
    case options::Page::Tray: return Factory<COptionsFormDlgTray>(context);
    case options::Page::Sending: return Factory<COptionsFormPgIfaceDlg>(context);
    case options::Page::Receiving: return Factory<COptionsFormPgRdMsgDlg>(context);
    case options::Page::Archive: return Factory<COptionsFormDlgHist>(context);
    }
    return {};
}

}  // namespace

COptionsForm::COptionsForm(PlOptions& options, std::string languageFolder, std::function<void()> applied)
    : PlOptionsForm(std::move(applied)), context_{options, std::move(languageFolder)}
{
    for (const options::CategoryNode& category : options::OptionsTree()) {
        QTreeWidgetItem* item = AddNode(nullptr, Tx(category.label), QString());
        for (const options::PageNode& page : category.pages)
            AddNode(item, Tx(page.label), Tx(page.title), FactoryOf(page.page, context_));
    }
    FinishTree(kPageSize);
}
