#pragma once
// The options page "Message archive": the archive window on top, and the days
// its lists show.
//
// User-interface thread only.

#include "ui/options/pl_options_page.h"

class COptionsFormDlgHist : public PlOptionsPage {
public:
    COptionsFormDlgHist(PlOptionsPageContext& context, QWidget* parent);
};
