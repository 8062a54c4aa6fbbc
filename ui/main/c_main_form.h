#pragma once
// CMainForm: the program's main window, never shown: the face of the
// messenger core. It owns the tray icon and its menu, the hot keys, the
// popups and the list of open windows, and it is where the other windows
// and the core turn when something has to be shown. The core's calls arrive
// on worker threads and are re-posted here as queued calls, so every widget
// is touched on the user-interface thread only.

#include <QIcon>
#include <QMenu>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <optional>

#include "app/core/pl_actions.h"
#include "app/core/pl_messenger_core.h"
#include "app/core/pl_messenger_front.h"
#include "app/settings/pl_option_hooks.h"
#include "platform/desktop/pl_hot_key_dispatcher.h"
#include "platform/desktop/pl_tray_icon.h"
#include "platform/sound/pl_sound_player.h"
#include "ui/contacts/c_contacts_form.h"
#include "ui/main/pl_qt_date_time_format.h"
#include "ui/main/pl_window_list.h"
#include "ui/popup/c_popup_msg_form.h"

struct PlHistoryFormLinks;

class CMainForm : public QWidget, public PlMessengerFront, public PlOptionHooks {
    Q_OBJECT

public:
    // Window kinds in the list of open windows.
    static constexpr const char* kAboutKey = "PlFormAboutBox";

    // Tray blinking ends this many ticks after the user turned to the messages.
    static constexpr int kBlinkTicksAfterSeen = 14;
    static constexpr int kErrorPopupSeconds = 20;

    CMainForm(PlMessengerSetup setup, std::unique_ptr<PlMessengerNetwork> network);
    ~CMainForm() override;

    // Start-up, then the run; Close runs the shutdown and ends the program.
    void Start();
    PlMessengerCore& Core() { return *core_; }

    // What the other windows, the tray and the hand-over ask for.
    void OpenCompose(const QString& recipient, int recipientType);
    // The contact list at a screen point; a chosen contact row goes to `chosen`.
    void ShowContactList(QPoint at, std::function<void(std::int32_t row)> chosen);
    // The contact edit window: for the contact of a row item, or a new one
    // (at most one new-contact window; `prefill` fills a new contact).
    void ShowContactEdit(const std::optional<PlContactItem>& contact,
                         const std::optional<PlContactRecord>& prefill = std::nullopt);
    // The archive window on the conversation with `name`.
    void ShowHistoryOf(const QString& name);
    void ShowArchive(int page);
    void ShowLanSearch();
    void ShowOptions();
    void ShowAbout();
    void ShowErrorPopup(const QString& text);
    void PlaySound(const std::string& value);
    // True once the shutdown began: windows end what they are doing now.
    bool ShuttingDown() const { return closing_; }
    void Perform(PlAction action);
    PlWindowList& Windows() { return windows_; }

    // For tests: the tray, the popups and the hot keys as they are now.
    plTrayIcon& Tray() { return tray_; }
    CPopupMsgForm* MessagePopup() { return messagePopup_.get(); }
    CPopupMsgForm* ErrorPopup() { return errorPopup_.get(); }
    QMenu& TrayMenu() { return menu_; }
    PlHotKeyDispatcher& HotKeys() { return hotKeys_; }

    // PlMessengerFront
    void Post(std::function<void()> work) override;
    void BuildTray() override;
    void RegisterHotKeys() override;
    void MessageArrived(const PlArrivedMessage& message, const PlReceiveNotice& notice) override;
    void TrayStatusChanged(const PlTrayStatus& status) override;
    void RemoveTray() override;
    void CloseWindows() override;

    // PlOptionHooks
    void UnregisterHotKey(std::int32_t id) override;
    void RegisterHotKey(std::int32_t id, std::int32_t hotKey) override;
    void EnableHotKeys(bool enabled) override;
    void SetArchiveTopmost(bool topmost) override;
    void SetArchiveShowDays(std::int32_t days) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenu();
    PlHistoryFormLinks ArchiveLinks();
    void BringForward(QWidget& window);
    void OnTrayMouse(plTrayIcon::Mouse event);
    void ComposeToRow(std::int32_t row);
    void ShowMessagePopup(const PlReceiveNotice& notice);
    void RefreshMessagePopup();
    void PlacePopups();
    void StopBlinking();
    void ReplyToLast();
    PlHotKeyDispatcher::Action HotKeyAction(std::int32_t id);

    plTrayIcon tray_;
    QMenu menu_;
    QIcon online_;
    QIcon offline_;
    QIcon blink_;
    PlHotKeyDispatcher hotKeys_;
    pl::PlSoundPlayer sounds_;
    PlQtDateTimeFormat dateFormat_;
    PlWindowList windows_;
    std::unique_ptr<CPopupMsgForm> messagePopup_;
    std::unique_ptr<CPopupMsgForm> errorPopup_;
    std::unique_ptr<CContactsForm> contactList_;
    bool closing_ = false;
    // Declared last, destroyed first: its shutdown still calls this face.
    std::unique_ptr<PlMessengerCore> core_;
};
