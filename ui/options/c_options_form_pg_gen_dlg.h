#pragma once
// COptionsFormPgGenDlg: the options page "System": start at log-in, and the
// interface language chosen from the language files (it takes effect at the
// next start), with the translator and version of the chosen one.
//
// User-interface thread only.

#include <QLabel>
#include <QListWidget>
#include <vector>

#include "app/texts/pl_language_list.h"
#include "ui/options/pl_options_page.h"

class COptionsFormPgGenDlg : public PlOptionsPage {
public:
    COptionsFormPgGenDlg(PlOptionsPageContext& context, QWidget* parent);

    // For tests.
    QListWidget& Languages() { return *list_; }
    QString Information() const { return information_->text(); }

private:
    void OnLanguage(int row);

    std::vector<PlLanguageInfo> languages_;
    QListWidget* list_ = nullptr;
    QLabel* information_ = nullptr;
};
