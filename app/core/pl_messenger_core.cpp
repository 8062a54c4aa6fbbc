#include "app/core/pl_messenger_core.h"

#include <filesystem>

#include "app/settings/pl_option_table.h"
#include "app/shared/pl_program_info.h"
#include "app/texts/pl_builtin_texts.h"
#include "app/texts/pl_language_list.h"
#include "app/texts/pl_text_table.h"
#include "archive/pl_archive_row.h"
#include "archive/pl_browser_workgroups.h"
#include "archive/pl_msg_log_filters.h"
#include "platform/identity/pl_local_user.h"
#include "platform/text/pl_case.h"
#include "platform/xdg/pl_xdg_paths.h"
#include "transport/core/pl_network_err.h"

namespace {

namespace id = pl::option_id;

// Texts of the compose window's reports.
constexpr std::int32_t kTextCannotSend = 1403;
constexpr std::int32_t kTextUnknownError = 1408;
constexpr std::int32_t kTextNotFound = 1409;
constexpr std::int32_t kTextTransmission = 1410;

std::string TextOf(PlDataSet& view, std::int32_t index, const char* field)
{
    const PlValue value = view.GetValue(index, field);
    return value.GetTag() == PlValue::kText ? value.Text() : std::string();
}

// Applies options through the face, except the archive's days, which the
// core's own views take.
class PlCoreOptionHooks : public PlOptionHooks {
public:
    PlCoreOptionHooks(PlOptionHooks& face, PlMessageArchive& archive) : face_(face), archive_(archive) {}
    void UnregisterHotKey(std::int32_t option) override { face_.UnregisterHotKey(option); }
    void RegisterHotKey(std::int32_t option, std::int32_t hotKey) override { face_.RegisterHotKey(option, hotKey); }
    void EnableHotKeys(bool enabled) override { face_.EnableHotKeys(enabled); }
    void SetArchiveTopmost(bool topmost) override { face_.SetArchiveTopmost(topmost); }
    void SetArchiveShowDays(std::int32_t days) override { archive_.SetShowDays(days); }

private:
    PlOptionHooks& face_;
    PlMessageArchive& archive_;
};

}  // namespace

PlMessengerSetup DesktopSetup()
{
    PlMessengerSetup setup;
    setup.dataDirectory = pl::XdgDataHome() + "/Parlino Messenger/" + pl::ProductVersion();
    setup.archivePath = setup.dataDirectory + "/msgarchive.qdb";
    setup.contactsPath = setup.dataDirectory + "/contacts.txt";
    setup.programPath = pl::ProgramFile();
    setup.languageFolder = pl::LanguageFolder();
    return setup;
}

PlMessengerCore::PlMessengerCore(PlMessengerSetup setup, PlMessengerFront& front,
                                 std::unique_ptr<PlMessengerNetwork> network)
    : setup_(std::move(setup)),
      front_(front),
      clock_(setup_.clock != nullptr ? *setup_.clock : PlDefaultClock()),
      registry_(setup_.registryPath),
      autostart_(setup_.autostartPath),
      options_(registry_, autostart_, setup_.programPath),
      placements_(registry_),
      archive_(clock_),
      contacts_(setup_.contactPollMs),
      network_(std::move(network)),
      receiver_(this, &PlMessengerCore::OnMessage),
      trayThread_(this, &PlMessengerCore::TrayStatusLoop)
{
}

PlMessengerCore::~PlMessengerCore()
{
    Shutdown();
}

void PlMessengerCore::Start()
{
    started_ = true;
    *running_ = true;
    LoadSettingsAndTexts();
    front_.BuildTray();
    OpenFiles();
    StartNetwork();
    front_.RegisterHotKeys();
}

void PlMessengerCore::LoadSettingsAndTexts()
{
    options_.LoadOptions();
    PlTextTable& texts = PlTextTable::Instance();
    PlAddAllDefaults(texts);
    const std::string& language = options_.Option(id::kSysLanguageFile).Text();
    if (!language.empty() && !setup_.languageFolder.empty())
        texts.LoadLanguageFile(PlLanguageFilePath(setup_.languageFolder, language));
}

void PlMessengerCore::OpenFiles()
{
    if (!setup_.dataDirectory.empty()) {
        std::error_code ignored;  // an existing directory is the normal case; a missing one fails the archive
        std::filesystem::create_directories(setup_.dataDirectory, ignored);
    }
    if (!setup_.archivePath.empty())
        archive_.Open(setup_.archivePath, options_.Option(id::kMsgArcShowDays).Integer());
    contactsData_.SetPath(setup_.contactsPath);
    contacts_.SetDataSet(&contactsData_);
    if (!setup_.contactsPath.empty())
        contacts_.Load(true);
    front_.BuildContactList(contacts_);
    contacts_.SetNetwork(&network_->Network());
}

void PlMessengerCore::StartNetwork()
{
    names_ = setup_.names;
    if (names_.empty())
        names_ = {network_->ComputerName(), pl::LocalUserName()};
    network_->StartPersonal(names_, &receiver_);
    network_->StartBroadcast(&receiver_);
    if (setup_.browse && network_->Enumeration() != nullptr) {
        browser_ = std::make_unique<PlNetworkBrowser>(*network_->Enumeration(), setup_.browseRefreshMs);
        browser_->SetNetwork(&network_->Network());
        browser_->CreateThread();
        contacts_.SetWorkgroupListed(WorkgroupsListedBy(*browser_));
    }
    network_->RegisterClients();
    trayThread_.CreateThread();
    if (!setup_.contactsPath.empty())
        contacts_.Start();
}

void PlMessengerCore::Shutdown()
{
    if (shutDown_)
        return;
    shutDown_ = true;
    *running_ = false;
    if (browser_)
        browser_->Stop();
    trayThread_.Stop();
    front_.RemoveTray();
    front_.CloseWindows();
    network_->StopClients();
    archive_.Close();
    contacts_.Stop();
    if (started_ && !setup_.contactsPath.empty())
        contacts_.Save();
    if (started_ && setup_.saveSettings)
        options_.SaveOptions();
}

// ---- receiving: client threads, then the face's thread ----

void PlMessengerCore::OnMessage(CMsg msg)
{
    PlArrivedMessage arrived;
    arrived.received = clock_.NowLocalFileTime();
    msg.text = pl::archive::WithCrLf(msg.text);
    lastMessage_.Set({msg.from, msg.to, msg.text, arrived.received});
    arrived.archived = archive_.StoreReceived(msg, arrived.received, &arrived.problem);
    arrived.msg = std::move(msg);
    front_.Post([this, running = std::weak_ptr<std::atomic<bool>>(running_), arrived = std::move(arrived)] {
        if (const auto alive = running.lock(); alive && *alive)
            ShowArrived(arrived);
    });
}

void PlMessengerCore::ShowArrived(const PlArrivedMessage& arrived)
{
    archive_.NotifyReceived();
    front_.MessageArrived(arrived, PlNoticeFor(arrived.msg.kind, options_));
}

// ---- the tray status: its own thread, shown on the face's thread ----

PlTrayStatus PlMessengerCore::TrayStatus()
{
    PlNetbiosNetwork& network = network_->Network();
    std::lock_guard lock(network.Lock());
    std::vector<std::uint8_t> lanas;
    for (const auto& entry : network.Interfaces())
        lanas.push_back(static_cast<const PlNetbiosInterface&>(*entry).Lana());
    PlSmbMessagingClient* personal = network_->Personal();
    const std::size_t open = personal == nullptr ? 0 : personal->OpenNamesOn(personal->ComputerName(), lanas);
    return PlComputeTrayStatus(lanas.size(), open, PlTextTable::Instance());
}

void PlMessengerCore::TrayStatusLoop(PlThread& thread)
{
    while (!thread.IsStopRequested()) {
        const PlTrayStatus status = TrayStatus();
        if (status != shownStatus_) {
            shownStatus_ = status;
            front_.Post([this, running = std::weak_ptr<std::atomic<bool>>(running_), status] {
                if (const auto alive = running.lock(); alive && *alive)
                    front_.TrayStatusChanged(status);
            });
        }
        if (thread.Pause(setup_.trayPeriodMs))
            return;
    }
}

// ---- what the face asks ----

void PlMessengerCore::ApplyPendingOptions(PlOptionHooks& face)
{
    PlCoreOptionHooks hooks(face, archive_);
    options_.ApplyPendingOptions(hooks);
}

std::string PlMessengerCore::MessagePopupText(const PlDateTimeFormat& format) const
{
    return PlMessagePopupText(lastMessage_.Get(), PlTextTable::Instance(), format);
}

void PlMessengerCore::PopupShowsNewest()
{
    archive_.Received().First();
}

bool PlMessengerCore::PopupOlder()
{
    PlMsgLogDataSet2& view = archive_.Received();
    const std::int32_t current = view.GetCurrent();
    if (current < 0 || current >= view.RecordCount() - 1)
        return false;
    view.Next();
    LoadPopupRecord(view.GetCurrent());
    return true;
}

bool PlMessengerCore::PopupNewer()
{
    PlMsgLogDataSet2& view = archive_.Received();
    const std::int32_t current = view.GetCurrent();
    if (current <= 0 || current >= view.RecordCount())
        return false;
    view.Prev();
    LoadPopupRecord(view.GetCurrent());
    return true;
}

void PlMessengerCore::LoadPopupRecord(std::int32_t index)
{
    PlMsgLogDataSet2& view = archive_.Received();
    const PlValue received = view.GetValue(index, "Received");
    lastMessage_.Set({TextOf(view, index, "Origin"), TextOf(view, index, "Recipient"), TextOf(view, index, "Message"),
                      received.GetTag() == PlValue::kScalar ? received.Time() : 0});
}

std::optional<std::string> PlMessengerCore::PopupReplyRecipient() const
{
    const auto record = lastMessage_.Get();
    return record ? std::optional<std::string>(record->from) : std::nullopt;
}

std::optional<std::string> PlMessengerCore::ReplyToLastRecipient()
{
    PlMsgLogDataSet2& view = archive_.Received();
    if (view.RecordCount() < 1)
        return std::nullopt;
    return TextOf(view, 0, "Origin");
}

std::string PlMessengerCore::ErrorPopupText(const std::string& text, const PlDateTimeFormat& format) const
{
    return PlErrorPopupText(clock_.NowLocalFileTime(), text, format);
}

// ---- sending ----

std::vector<PlSendOutcome> PlMessengerCore::Send(const std::vector<PlRecipient>& recipients, const std::string& text)
{
    std::vector<PlSendOutcome> outcomes;
    const std::string from = pl::UpperCase(network_->ComputerName());
    for (const PlRecipient& recipient : recipients) {
        PlSendOutcome outcome{recipient, PlSendResult::Sent};
        try {
            network_->Registry().Send(CMsg{recipient.type, recipient.name, from, recipient.name, text});
        } catch (const PlAddrNotFoundErr&) {
            outcome.result = PlSendResult::NotFound;
        } catch (const PlDataTransmissionErr&) {
            outcome.result = PlSendResult::TransmissionError;
        } catch (const PlNetworkErr&) {
            outcome.result = PlSendResult::UnknownError;
        }
        outcomes.push_back(outcome);
    }
    return outcomes;
}

PlSendReport PlMessengerCore::RecordSent(const std::vector<PlSendOutcome>& outcomes, const std::string& text,
                                         std::uint64_t time)
{
    const PlTextTable& texts = PlTextTable::Instance();
    const std::string from = pl::UpperCase(network_->ComputerName());
    PlSendReport report;
    std::string failures;
    bool archived = false;
    for (const PlSendOutcome& outcome : outcomes) {
        if (outcome.result == PlSendResult::Sent) {
            // A row the archive refuses does not make the message unsent.
            archived =
                archive_.StoreSent(
                    CMsg{outcome.recipient.type, outcome.recipient.name, from, outcome.recipient.name, text}, time) ||
                archived;
            continue;
        }
        report.allSent = false;
        const std::int32_t reason = outcome.result == PlSendResult::NotFound            ? kTextNotFound
                                    : outcome.result == PlSendResult::TransmissionError ? kTextTransmission
                                                                                        : kTextUnknownError;
        failures += outcome.recipient.name + " (" + texts.Text(reason) + ")\r\n";
    }
    if (archived)
        archive_.NotifySent();
    const bool sounds = options_.Option(id::kSoundEnabled).Integer() == 1;
    if (report.allSent) {
        if (sounds && options_.Option(id::kMsgSendSuccessSoundNotify).Integer() == 1)
            report.sound = options_.Option(id::kSoundEventSendSuccess).Text();
        return report;
    }
    if (options_.Option(id::kMsgSendFailTextNotify).Integer() == 1)
        report.errorText = texts.Text(kTextCannotSend) + "\r\n" + failures;
    if (sounds && options_.Option(id::kMsgSendFailSoundNotify).Integer() == 1)
        report.sound = options_.Option(id::kSoundEventSendFail).Text();
    return report;
}
