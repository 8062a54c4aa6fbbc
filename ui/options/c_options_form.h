#pragma once
// COptionsForm: the options window with its seven pages (system, hot keys,
// sound effects, tray icon, message sending, message receiving, message
// archive) under the categories "General", "Interface" and "Behaviour".
//
// User-interface thread only.

#include "ui/options/pl_options_form.h"

class COptionsForm : public PlOptionsForm {
public:
    static constexpr const char* kWindowKey = "COptionsForm";

    // `options` must outlive the window; `applied` runs on OK.
    COptionsForm(PlOptions& options, std::string languageFolder, std::function<void()> applied);

private:
    PlOptionsPageContext context_;
};
