#pragma once
// The options page "Message receiving": what a received message does, and when
// its popup closes.
//
// User-interface thread only.

#include "ui/options/pl_options_page.h"

class COptionsFormPgRdMsgDlg : public PlOptionsPage {
public:
    COptionsFormPgRdMsgDlg(PlOptionsPageContext& context, QWidget* parent);
};
