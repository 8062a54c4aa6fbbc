#pragma once
// PlMessengerCore: the running messenger without windows, shared by the
// desktop program and parlino-cli listen. It carries out the start-up steps
// that need no window in the program's order (settings, texts, data
// directory, archive and its views, contacts, personal client, adapter
// refresh, broadcast client, LAN browser, client registry, tray status,
// contact poll), calling its face for the face's own steps in between. It
// handles every received message (line breaks, last message, archive row,
// views) and decides what the face shows. Shutdown runs in an order in which
// nothing is acknowledged to a sender that is then lost, and nothing uses an
// object already gone (docs/architecture.md).
//
// Threads: construction, Start, Shutdown and every other operation run on
// the face's thread. Messages arrive on client threads; the core archives
// them there and hands the rest (view notifications, the face's calls) to
// PlMessengerFront::Post, so views and options are only used on the face's
// thread.

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/core/pl_last_message.h"
#include "app/core/pl_message_archive.h"
#include "app/core/pl_messenger_front.h"
#include "app/core/pl_messenger_network.h"
#include "app/core/pl_send_outcome.h"
#include "app/settings/pl_option_hooks.h"
#include "app/settings/pl_options.h"
#include "app/settings/pl_window_placement.h"
#include "archive/pl_contacts_data_set.h"
#include "archive/pl_contacts_manager.h"
#include "platform/registry/pl_registry_file.h"
#include "platform/xdg/pl_autostart.h"
#include "transport/browser/pl_network_browser.h"

// What a messenger runs with. DesktopSetup() gives the program's own; the
// command-line tool and tests fill in what they need.
struct PlMessengerSetup {
    std::vector<std::string> names;  // empty: the computer name and the user name
    std::string dataDirectory;       // created at start; empty: no data directory
    std::string archivePath;         // empty: no archive
    std::string contactsPath;        // empty: no contact list
    bool browse = true;              // run the LAN browser
    std::string registryPath = PlRegistryFile::DefaultPath();
    std::string autostartPath = PlAutostart::DefaultPath();
    bool saveSettings = true;    // write the options back at shutdown
    std::string programPath;     // what the autostart entry starts
    std::string languageFolder;  // where SysLanguageFile is looked for
    int trayPeriodMs = 5000;
    int contactPollMs = PlContactsManager::kPollPeriodMs;
    int browseRefreshMs = PlNetworkBrowser::kRefreshMs;
    const PlClock* clock = nullptr;  // null: the system clock
};

// The desktop program's setup: the data directory
// $XDG_DATA_HOME/Parlino Messenger/<version> with msgarchive.qdb and
// contacts.txt in it, the LAN browser, the program's own path and language
// folder.
PlMessengerSetup DesktopSetup();

class PlMessengerCore {
public:
    // `network` is the messenger's transports, not started yet.
    PlMessengerCore(PlMessengerSetup setup, PlMessengerFront& front, std::unique_ptr<PlMessengerNetwork> network);
    PlMessengerCore(const PlMessengerCore&) = delete;
    PlMessengerCore& operator=(const PlMessengerCore&) = delete;
    // Shuts down when Shutdown was not called.
    ~PlMessengerCore();

    // The start-up. REQUIRES: called once.
    void Start();
    // The shutdown: LAN browser stopped; tray status stopped and the tray
    // removed; the face's windows closed; the clients stopped (so no message
    // arrives any more); the archive closed; the contact poll stopped and the
    // contact list written; the settings saved. Safe to call twice.
    void Shutdown();

    PlOptions& Options() { return options_; }
    // The windows' placements, in the registry file of the options.
    PlPlacementStore& Placements() { return placements_; }
    // The folder of the language files the options offer.
    const std::string& LanguageFolder() const { return setup_.languageFolder; }
    PlMessageArchive& Archive() { return archive_; }
    PlContactsManager& Contacts() { return contacts_; }
    PlMessengerNetwork& Network() { return *network_; }
    // Null when the messenger does not browse.
    PlNetworkBrowser* Browser() { return browser_.get(); }
    const std::vector<std::string>& Names() const { return names_; }

    // Applies the options window's pending options: the archive's days here,
    // hot keys and the archive window's topmost state through `face`.
    void ApplyPendingOptions(PlOptionHooks& face);

    // The message popup: it starts on the newest received message; "<<"
    // moves to an older one, ">>" to a newer one (false at either end).
    std::string MessagePopupText(const PlDateTimeFormat& format) const;
    void PopupShowsNewest();
    bool PopupOlder();
    bool PopupNewer();
    // Whom the popup's Reply writes to; none before the first message.
    std::optional<std::string> PopupReplyRecipient() const;
    // Whom the reply hot key writes to: the sender of the newest received
    // message in the archive; none when there is none.
    std::optional<std::string> ReplyToLastRecipient();
    // The error popup's text at the current time.
    std::string ErrorPopupText(const std::string& text, const PlDateTimeFormat& format) const;

    // The tray status now (the tray status thread posts it every period).
    PlTrayStatus TrayStatus();

    // Sending, in two halves. Send may run on any thread (a worker of the
    // compose window, so that the window stays responsive): it hands `text`
    // to each recipient's client in turn and reports what became of each.
    // RecordSent runs on the face's thread afterwards: it keeps a row of type
    // "2" at `time` for every recipient reached, tells the views, and decides
    // the error popup and the sound by the options.
    std::vector<PlSendOutcome> Send(const std::vector<PlRecipient>& recipients, const std::string& text);
    PlSendReport RecordSent(const std::vector<PlSendOutcome>& outcomes, const std::string& text, std::uint64_t time);
    // The local time now, as the archive keeps it.
    std::uint64_t Now() const { return clock_.NowLocalFileTime(); }

private:
    void LoadSettingsAndTexts();
    void OpenFiles();
    void StartNetwork();
    void OnMessage(CMsg msg);
    void ShowArrived(const PlArrivedMessage& arrived);
    void TrayStatusLoop(PlThread& thread);
    void LoadPopupRecord(std::int32_t index);

    PlMessengerSetup setup_;
    PlMessengerFront& front_;
    const PlClock& clock_;
    PlRegistryFile registry_;
    PlAutostart autostart_;
    PlOptions options_;
    PlPlacementStore placements_;
    PlMessageArchive archive_;
    PlContactsDataSet contactsData_;
    PlContactsManager contacts_;
    PlLastMessage lastMessage_;
    std::vector<std::string> names_;
    std::unique_ptr<PlMessengerNetwork> network_;
    PlVoidUnaryMemberFunction<PlMessengerCore, CMsg> receiver_;
    std::unique_ptr<PlNetworkBrowser> browser_;
    PlThreadClassFunction<PlMessengerCore> trayThread_;
    std::optional<PlTrayStatus> shownStatus_;  // tray thread only
    // Work posted to the face checks it: nothing runs once the shutdown began.
    // Atomic: a face may run posted work on the posting thread (the console).
    std::shared_ptr<std::atomic<bool>> running_ = std::make_shared<std::atomic<bool>>(false);
    bool started_ = false;
    bool shutDown_ = false;
};
