#pragma once
// CHistoryForm: the "Message archive" window. Four pages, chosen by the
// toolbar's buttons, each a grid over one archive view: received messages,
// sent messages, the conversation with one name (a From/To edit, a contact
// chooser and an apply button), and a search by name, period (two date
// pickers, whole days) and text. A context menu shared by the grids writes
// to a message's sender, copies its text or deletes it; "Export..." writes
// the shown rows of the current page to a text or CSV file.
//
// At most one exists: the main window creates it on first use and registers
// it as "CHistoryForm". Escape, minimising and the close box hide it; a
// close that the program asks for (at its end) saves the placement
// "msgarchive" and lets it go. What the pages show and do is decided by
// PlArchivePages; the window draws and forwards.
//
// Threads: the user-interface thread only.

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

#include "app/archive_view/pl_archive_export.h"
#include "app/archive_view/pl_archive_pages.h"
#include "app/settings/pl_window_placement.h"

class PlContactsManager;
class PlDataSetGrid;
class QDateEdit;
class QLineEdit;
class QMenu;
class QStackedWidget;
class QToolButton;

class CHistoryForm;

// What the window reaches outside itself; every part may be left empty.
struct PlHistoryFormLinks {
    // "Write message to sender": a compose window to `recipient`, a user
    // or computer.
    std::function<void(const QString& recipient)> writeTo;
    // The choose-contact buttons: the contact list at the cursor, which
    // reports a picked row to the window's ContactPicked.
    std::function<void(CHistoryForm& owner)> chooseContact;
    PlContactsManager* contacts = nullptr;  // what a picked row names
    PlPlacementStore* placements = nullptr;
};

class CHistoryForm : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* kKey = "CHistoryForm";
    static constexpr const char* kPlacementName = "msgarchive";
    static constexpr std::uint32_t kPlacementMask =
        kPlPlacementTop | kPlPlacementLeft | kPlPlacementHeight | kPlPlacementWidth | kPlPlacementVisible;
    static constexpr int kDefaultWidth = 450;
    static constexpr int kDefaultHeight = 350;
    static constexpr int kScreenMargin = 5;
    static constexpr int kMinWidth = 350;
    static constexpr int kMinHeight = 250;

    CHistoryForm(PlMessageArchive& archive, PlHistoryFormLinks links);
    ~CHistoryForm() override;

    // Operations of the other windows.
    // Makes `page` (0 … 3) current: its button checked, its grid shown.
    void SelectPage(int page);
    // Page 0: the received messages from the newest, which is selected.
    // Other pages: shown as they are.
    void ShowPage(int page);
    // Page 2 with `name` in its From/To edit and the conversation filtered
    // by it.
    void SetFromToFilter(const QString& name);
    void SetTopmost(bool topmost);
    // The contact list's row the user picked: on page 2 or 3 its name goes
    // into the page's From/To edit and the page's filter is applied; on
    // pages 0 and 1 nothing happens.
    void ContactPicked(std::int32_t row);

    // The commands of the buttons and the context menu.
    void ApplyDialogFilter();
    void ApplyManualFilter();
    void WriteToSender();
    void CopyMessage();
    void DeleteMessage();
    // Writes the current page's rows to `path`; false (and nothing replaced)
    // when the file could not be written.
    bool ExportTo(const QString& path, PlExportFormat format);

    // What tests look at.
    int CurrentPage() const { return page_; }
    PlDataSetGrid& Grid(int page) { return *grids_.at(page); }
    QToolButton& PageButton(int page) { return *pageButtons_.at(page); }
    QLineEdit& FromToEdit(int page) { return page == PlArchivePages::kDialog ? *dialogName_ : *filterName_; }
    QDateEdit& PeriodFrom() { return *periodFrom_; }
    QDateEdit& PeriodTo() { return *periodTo_; }
    QLineEdit& SearchText() { return *searchText_; }
    QMenu& ContextMenu() { return *menu_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QWidget* BuildToolBar();
    QWidget* BuildPage(int page);
    QWidget* BuildDialogControls();
    QWidget* BuildFilterControls();
    QToolButton* ImageButton(const QString& icon, const QString& tip, void (CHistoryForm::*command)());
    void BuildContextMenu();
    void ChooseContact();
    void Export();
    void PlaceAtStart();

    PlArchivePages pages_;
    PlHistoryFormLinks links_;
    int page_ = 0;
    QStackedWidget* stack_ = nullptr;  // children of the window
    std::array<QToolButton*, PlArchivePages::kCount> pageButtons_{};
    std::array<PlDataSetGrid*, PlArchivePages::kCount> grids_{};
    QLineEdit* dialogName_ = nullptr;
    QLineEdit* filterName_ = nullptr;
    QDateEdit* periodFrom_ = nullptr;
    QDateEdit* periodTo_ = nullptr;
    QLineEdit* searchText_ = nullptr;
    QMenu* menu_ = nullptr;
};
