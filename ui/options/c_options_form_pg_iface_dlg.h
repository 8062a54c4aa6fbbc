#pragma once
// The options page "Message sending": the sounds and the error popup after sending.
//
// User-interface thread only.

#include "ui/options/pl_options_page.h"

class COptionsFormPgIfaceDlg : public PlOptionsPage {
public:
    COptionsFormPgIfaceDlg(PlOptionsPageContext& context, QWidget* parent);
};
