#pragma once
// CContactsForm: the contact list that drops down at a screen point (at the
// tray icon, from the compose or the archive window): three action rows
// above the tree of groups and contacts. A chosen contact row goes to the
// window that opened the list; the list hides after every choice and when
// the user clicks elsewhere. One list lives as long as the main window.
// The contact manager's repaint requests, which come from its poll thread,
// reach the view through the user-interface thread.

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

#include "archive/pl_cool_menu_manager_interface.h"

class CMainForm;
class PlCoolMenu;
class QFrame;

class CContactsForm : public QWidget, private PlContactListView {
    Q_OBJECT

public:
    static constexpr int kWidth = 230;

    explicit CContactsForm(CMainForm& main);
    ~CContactsForm() override;

    // Shows the list at `point`; a chosen contact row goes to `chosen`.
    void ShowAt(QPoint point, std::function<void(std::int32_t row)> chosen);

    PlCoolMenu& Actions() { return *actions_; }
    PlCoolMenu& View() { return *view_; }
    // The context menu's commands on a contact row (also for tests).
    void WriteTo(int row);
    void EditContact(int row);
    void ShowHistory(int row);
    void DeleteContact(int row);
    // Whether the commands that need a contact are offered for a row.
    bool OffersContactCommands(int row);

private:
    class ActionRows;

    void Layout();
    void OnAction(int row);
    void OnContextMenu(int row, QPoint at);
    void Choose(int row);

    // PlContactListView: from any thread.
    void SetNameList(const std::vector<std::string>&) override {}
    void RefreshList() override;
    void Repaint() override;

    CMainForm& main_;
    std::unique_ptr<ActionRows> actionRows_;
    PlCoolMenu* actions_;
    QFrame* line_;
    PlCoolMenu* view_;
    std::function<void(std::int32_t)> chosen_;
};
