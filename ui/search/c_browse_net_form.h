#pragma once
// CBrowseNetForm: the "Local network search" window. It searches the LAN
// through the LAN browser when it opens and on "Start search", lists every
// domain, workgroup, computer and user found in groups (by first letter,
// computer, domain or status: a click on the column's header), and writes a
// message to an entry, adds it to the contact list or shows its history. At
// most one exists; it deletes itself when closed.
//
// Threads: the browse thread hands each record and the end of the search to
// OnFound and OnFinished, which keep the record in the pending list under
// the window's lock and post the rest to the user-interface thread. Every
// widget is touched on the user-interface thread only. Closing cancels the
// search, after which the browser calls nothing any more.

#include <QAction>
#include <QIcon>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>
#include <array>
#include <atomic>
#include <map>
#include <mutex>
#include <vector>

#include "app/search/pl_lan_search_list.h"
#include "transport/browser/pl_network_browser.h"

class CMainForm;

class CBrowseNetForm : public QMainWindow {
    Q_OBJECT

public:
    static constexpr const char* kWindowKey = "CBrowseNetForm";
    static constexpr const char* kPlacementName = "lanbrowser";
    static constexpr std::uint32_t kPlacementMask = 15;

    // Places itself and starts a search.
    explicit CBrowseNetForm(CMainForm& main);
    ~CBrowseNetForm() override;

    void StartSearch();
    void StopSearch();
    // A click on the header of `column`.
    void GroupByColumn(int column);
    // The context menu's commands on the selected row; nothing without one.
    void WriteMessage();
    void AddToContacts();
    void ViewHistory();

    // For tests: what the window shows.
    const pl::search::PlLanSearchList& List() const { return list_; }
    QTreeWidget& View() { return *view_; }
    QString StatusText() const { return status_->text(); }
    QAction& StartAction() { return *start_; }
    QAction& StopAction() { return *stop_; }
    QMenu& ContextMenu() { return menu_; }
    int SearchesStarted() const { return searches_; }
    // Selects the row `index` of the list (tests; a click does the same).
    void SelectRow(std::size_t index);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildWidgets();
    void Place();
    void OnFound(PlNetResourceInfo record);  // browse thread
    void OnFinished();                       // browse thread
    void Drain();
    void ShowRow(std::size_t index);
    QTreeWidgetItem* GroupItem(int group);
    void ShowAllRows();
    void UpdateButtons();
    void OnContextMenu(const QPoint& position);
    const PlNetResourceInfo* SelectedRecord() const;

    CMainForm& main_;
    PlNetworkBrowser* browser_;
    pl::search::PlLanSearchList list_;
    std::mutex pendingLock_;
    std::vector<PlNetResourceInfo> pending_;  // guarded by pendingLock_
    PlVoidUnaryMemberFunction<CBrowseNetForm, PlNetResourceInfo> found_;
    PlVoidNullaryMemberFunction<CBrowseNetForm> finished_;
    QTreeWidget* view_ = nullptr;
    QLabel* status_ = nullptr;
    QAction* start_ = nullptr;
    QAction* stop_ = nullptr;
    QMenu menu_;
    std::array<QIcon, 4> pictures_;               // by pl::search::PictureOf
    std::map<int, QTreeWidgetItem*> groupItems_;  // by group id
    // The browser sets its finished flag after the end call; the buttons
    // follow the flag while a search runs.
    QTimer buttonTimer_;
    // A search of this window may still call it: set from Search until its
    // end arrives here or it is cancelled.
    bool searching_ = false;
    // Counts the searches; the browse thread reads it while the browser
    // excludes a Cancel, so an end call names the search it belongs to.
    std::atomic<int> generation_{0};
    int searches_ = 0;
};
