#pragma once
// COptionsFormPgHKDlg: the options page "Hot keys": the switch of all hot
// keys, the list of the four actions with their keys, and the entry control
// with "Set" that changes the selected action's key (both usable only while
// an action is selected).
//
// User-interface thread only.

#include <QPushButton>
#include <QTreeWidget>

#include "ui/options/pl_hot_key_edit.h"
#include "ui/options/pl_options_page.h"

class COptionsFormPgHKDlg : public PlOptionsPage {
public:
    COptionsFormPgHKDlg(PlOptionsPageContext& context, QWidget* parent);

    // For tests.
    QTreeWidget& List() { return *list_; }
    PlHotKeyEdit& Entry() { return *entry_; }
    QPushButton& SetButton() { return *set_; }

private:
    void OnSelection();
    void OnSet();

    QTreeWidget* list_ = nullptr;
    PlHotKeyEdit* entry_ = nullptr;
    QPushButton* set_ = nullptr;
};
