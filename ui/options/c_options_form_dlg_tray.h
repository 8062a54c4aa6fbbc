#pragma once
// The options page "Tray icon": what a left click on the tray icon opens.
//
// User-interface thread only.

#include "ui/options/pl_options_page.h"

class COptionsFormDlgTray : public PlOptionsPage {
public:
    COptionsFormDlgTray(PlOptionsPageContext& context, QWidget* parent);
};
