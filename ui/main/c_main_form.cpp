#include "ui/main/c_main_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include "app/settings/pl_option_table.h"
#include "ui/archive/c_history_form.h"
#include "ui/common/pl_clipboard.h"
#include "ui/common/pl_qt_text.h"
#include "ui/common/pl_trace.h"
#include "ui/compose/c_new_msg_form.h"
#include "ui/contacts/c_contact_edit_form.h"
#include "ui/main/pl_about_box.h"
#include "ui/options/c_options_form.h"
#include "ui/popup/pl_popup_placement.h"
#include "ui/search/c_browse_net_form.h"

namespace {

namespace id = pl::option_id;

// Interface texts of the main window.
constexpr std::int32_t kTextTitle = 401;
constexpr std::int32_t kTextPopupTitle = 201;
constexpr std::int32_t kTextOlder = 202;
constexpr std::int32_t kTextNewer = 203;
constexpr std::int32_t kTextCopy = 204;
constexpr std::int32_t kTextReply = 207;
constexpr std::int32_t kTextOptions = 301;
constexpr std::int32_t kTextAbout = 302;
constexpr std::int32_t kTextExit = 303;
constexpr std::int32_t kTextWrite = 304;
constexpr std::int32_t kTextRead = 305;
constexpr std::int32_t kTextError = 1301;

const QColor kMessageFrame(255, 197, 25);
const QColor kErrorFrame(198, 0, 0);

constexpr int kFirstHotKey = id::kHotKeyWriteNewMsg;
constexpr int kLastHotKey = id::kHotKeyBrowseLan;

}  // namespace

CMainForm::CMainForm(PlMessengerSetup setup, std::unique_ptr<PlMessengerNetwork> network)
    : online_(QStringLiteral(":/icons/online.svg")),
      offline_(QStringLiteral(":/icons/offline.svg")),
      blink_(QStringLiteral(":/icons/blink.svg")),
      core_(std::make_unique<PlMessengerCore>(std::move(setup), *this, std::move(network)))
{
    setWindowTitle(QStringLiteral("Parlino"));
    setWindowFlag(Qt::Tool);
    connect(&tray_, &plTrayIcon::MouseEvent, this, &CMainForm::OnTrayMouse);
}

CMainForm::~CMainForm()
{
    closing_ = true;
    core_->Shutdown();
    contactList_.reset();  // it leaves the core's contact list, which goes with core_
}

void CMainForm::Start()
{
    core_->Start();
}

void CMainForm::Post(std::function<void()> work)
{
    QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
}

// ---- start-up steps of the face ----

void CMainForm::BuildTray()
{
    tray_.SetTip(Tx(kTextTitle));
    tray_.SetIcon(offline_);
    tray_.SetAlternateIcon(blink_);
    BuildMenu();
    if (!tray_.Show())
        qWarning("parlino: this desktop shows no system tray; the messenger runs on and messages still pop up");
}

void CMainForm::BuildMenu()
{
    menu_.addAction(Tx(kTextWrite), this, [this] { OpenCompose(QString(), 1); });
    menu_.addAction(Tx(kTextRead), this, [this] { ShowArchive(-1); });
    menu_.addSeparator();
    menu_.addAction(Tx(kTextOptions), this, &CMainForm::ShowOptions);
    menu_.addSeparator();
    menu_.addAction(Tx(kTextAbout), this, &CMainForm::ShowAbout);
    menu_.addSeparator();
    menu_.addAction(Tx(kTextExit), this, &QWidget::close);
}

void CMainForm::RegisterHotKeys()
{
    PlOptions& options = core_->Options();
    bool any = false;
    for (int key = kFirstHotKey; key <= kLastHotKey; ++key) {
        const std::int32_t value = options.Option(key).Integer();
        any = any || value != 0;
        hotKeys_.Set(key, static_cast<std::uint32_t>(value), HotKeyAction(key));
    }
    if (options.Option(id::kHotKeyEnabled).Integer() != 0)
        hotKeys_.Activate();
    if (any && !hotKeys_.Available())
        qWarning(
            "parlino: global hot keys need an X11 session; bind \"parlino --write\" and the other actions "
            "to desktop shortcuts instead");
}

PlHotKeyDispatcher::Action CMainForm::HotKeyAction(std::int32_t key)
{
    switch (key) {
    case id::kHotKeyWriteNewMsg: return [this] { Perform(PlAction::Write); };
    case id::kHotKeyReplyLastMsg: return [this] { Perform(PlAction::Reply); };
    case id::kHotKeyOpenIncoming: return [this] { Perform(PlAction::Archive); };
    default: return [this] { Perform(PlAction::Search); };
    }
}

// ---- a message arrived (the user-interface thread) ----

void CMainForm::MessageArrived(const PlArrivedMessage& message, const PlReceiveNotice& notice)
{
    const PlLocalTime received = PlLocalFromFileTime(message.received);
    PlTrace(QStringLiteral("message from %1 to %2 received %3:%4:%5.%6: %7")
                .arg(Qs(message.msg.from), Qs(message.msg.to))
                .arg(received.hour, 2, 10, QChar('0'))
                .arg(received.minute, 2, 10, QChar('0'))
                .arg(received.second, 2, 10, QChar('0'))
                .arg(received.millisecond, 3, 10, QChar('0'))
                .arg(QsLines(message.msg.text).section('\n', 0, 0)));
    tray_.StartBlinking();
    PlTrace(QStringLiteral("tray blinking"));
    PlaySound(notice.sound);
    switch (notice.action) {
    case PlReceiveAction::OpenArchive: ShowArchive(0); break;
    case PlReceiveAction::Nothing: break;
    case PlReceiveAction::ShowPopup: ShowMessagePopup(notice); break;
    }
}

void CMainForm::ShowMessagePopup(const PlReceiveNotice& notice)
{
    core_->PopupShowsNewest();
    messagePopup_ = std::make_unique<CPopupMsgForm>();
    CPopupMsgForm& popup = *messagePopup_;
    popup.SetFrameColours(kMessageFrame, kMessageFrame);
    popup.SetPicture(QIcon(QStringLiteral(":/icons/popup-message.svg")).pixmap(16, 16));
    popup.AddLink(Tx(kTextReply), [this] {
        StopBlinking();
        if (const auto recipient = core_->PopupReplyRecipient())
            OpenCompose(Qs(*recipient), 1);
    });
    popup.AddLink(Tx(kTextOlder), [this] {
        StopBlinking();
        if (core_->PopupOlder())
            RefreshMessagePopup();
    });
    popup.AddLink(Tx(kTextNewer), [this] {
        StopBlinking();
        if (core_->PopupNewer())
            RefreshMessagePopup();
    });
    popup.AddLink(Tx(kTextCopy), [this] {
        StopBlinking();
        if (messagePopup_)
            PlClipboard(messagePopup_->GetText());
    });
    popup.Create(Tx(kTextPopupTitle));
    popup.SetClosedCallback([this] { StopBlinking(); });
    popup.ShowInactive();
    RefreshMessagePopup();
    if (notice.popupSeconds) {
        popup.SetAutoHide(*notice.popupSeconds);
    } else {
        popup.SetAutoHide(0);
        StopBlinking();
    }
    PlTrace(QStringLiteral("popup: ") + popup.GetText().replace('\n', QStringLiteral(" | ")));
}

void CMainForm::RefreshMessagePopup()
{
    if (!messagePopup_)
        return;
    messagePopup_->SetText(QsLines(core_->MessagePopupText(dateFormat_)));
    PlacePopups();
}

void CMainForm::ShowErrorPopup(const QString& text)
{
    errorPopup_ = std::make_unique<CPopupMsgForm>();
    CPopupMsgForm& popup = *errorPopup_;
    popup.SetFrameColours(kErrorFrame, kErrorFrame);
    popup.SetPicture(QIcon(QStringLiteral(":/icons/popup-error.svg")).pixmap(16, 16));
    popup.Create(Tx(kTextError));
    popup.SetClosedCallback([this] { StopBlinking(); });
    popup.ShowInactive();
    popup.SetText(QsLines(core_->ErrorPopupText(Ss(text), dateFormat_)));
    PlacePopups();
    popup.SetAutoHide(kErrorPopupSeconds);
    PlTrace(QStringLiteral("error popup: ") + popup.GetText().replace('\n', QStringLiteral(" | ")));
}

void CMainForm::PlacePopups()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const auto visibleSize = [](const std::unique_ptr<CPopupMsgForm>& popup) -> std::optional<QSize> {
        return popup && popup->isVisible() ? std::optional<QSize>(popup->GetSize()) : std::nullopt;
    };
    const PlPopupPositions positions =
        PlPlacePopups(screen->availableGeometry(), visibleSize(messagePopup_), visibleSize(errorPopup_));
    if (positions.message)
        messagePopup_->move(*positions.message);
    if (positions.error)
        errorPopup_->move(*positions.error);
}

void CMainForm::StopBlinking()
{
    tray_.LimitBlinking(kBlinkTicksAfterSeen);
}

void CMainForm::PlaySound(const std::string& value)
{
    if (!value.empty())
        sounds_.Play(value);
}

// ---- the tray ----

void CMainForm::TrayStatusChanged(const PlTrayStatus& status)
{
    tray_.SetTip(Qs(status.tip));
    tray_.SetIcon(status.icon == PlTrayIcon::Online ? online_ : offline_);
    PlTrace(QStringLiteral("tray: ") + Qs(status.tip).replace('\n', QStringLiteral(" - ")));
}

void CMainForm::OnTrayMouse(plTrayIcon::Mouse event)
{
    switch (event) {
    case plTrayIcon::Mouse::LeftClick:
    case plTrayIcon::Mouse::LeftDoubleClick:
        if (core_->Options().Option(id::kTrayLeftMouseBtn).Integer() == 2)
            ShowArchive(-1);
        else
            ShowContactList(QCursor::pos(), [this](std::int32_t row) { ComposeToRow(row); });
        break;
    case plTrayIcon::Mouse::RightClick: menu_.popup(QCursor::pos()); break;
    case plTrayIcon::Mouse::MiddleClick: break;
    }
}

// ---- operations of the other windows ----

void CMainForm::Perform(PlAction action)
{
    PlTrace(QStringLiteral("action ") +
            QString::fromLatin1(PlActionName(action).data(), static_cast<int>(PlActionName(action).size())));
    switch (action) {
    case PlAction::Write: OpenCompose(QString(), 1); break;
    case PlAction::Reply: ReplyToLast(); break;
    case PlAction::Archive: ShowArchive(0); break;
    case PlAction::Search: ShowLanSearch(); break;
    case PlAction::Options: ShowOptions(); break;
    case PlAction::Exit: close(); break;
    }
}

void CMainForm::ReplyToLast()
{
    if (const auto recipient = core_->ReplyToLastRecipient())
        OpenCompose(Qs(*recipient), 1);
}

void CMainForm::OpenCompose(const QString& recipient, int recipientType)
{
    // Every call opens another window.
    auto* compose = new CNewMsgForm(*this, recipient, recipientType);  // deletes itself when closed
    windows_.Add(CNewMsgForm::kKey, compose);
    compose->show();
    compose->raise();
    compose->activateWindow();
}

void CMainForm::ShowContactList(QPoint at, std::function<void(std::int32_t row)> chosen)
{
    // Built when first shown: a messenger that sits in the tray costs no
    // widgets, fonts or styles for it before.
    if (!contactList_)
        contactList_ = std::make_unique<CContactsForm>(*this);
    contactList_->ShowAt(at, std::move(chosen));
}

// A contact row chosen in the list the tray opened: a compose window to it
// (a group row to the whole group).
void CMainForm::ComposeToRow(std::int32_t row)
{
    if (const auto item = core_->Contacts().ItemAt(row))
        OpenCompose(Qs(item->record.realName), item->record.type);
}

void CMainForm::ShowContactEdit(const std::optional<PlContactItem>& contact,
                                const std::optional<PlContactRecord>& prefill)
{
    QWidget* edit = nullptr;
    if (!contact)
        edit = windows_.Find(CContactEditForm::kKey);  // one at a time for a new contact
    if (edit == nullptr) {
        edit = new CContactEditForm(core_->Contacts(), contact, prefill);  // deletes itself when closed
        windows_.Add(CContactEditForm::kKey, edit);
    }
    edit->show();
    edit->raise();
    edit->activateWindow();
}

void CMainForm::ShowHistoryOf(const QString& name)
{
    ShowArchive(-1);
    if (auto* form = qobject_cast<CHistoryForm*>(windows_.Find(CHistoryForm::kKey)))
        form->SetFromToFilter(name);
}

void CMainForm::ShowArchive(int page)
{
    auto* form = qobject_cast<CHistoryForm*>(windows_.Find(CHistoryForm::kKey));
    if (form == nullptr) {
        form = new CHistoryForm(core_->Archive(), ArchiveLinks());
        form->setAttribute(Qt::WA_DeleteOnClose);  // at the program's end
        windows_.Add(CHistoryForm::kKey, form);
    }
    if (core_->Options().Option(id::kMsgArcOnTop).Integer() != 0)
        form->SetTopmost(true);
    if (page >= 0) {
        form->SelectPage(page);
        form->ShowPage(page);
    }
    BringForward(*form);
    StopBlinking();
    PlTrace(QStringLiteral("archive window shown, page %1").arg(form->CurrentPage()));
}

PlHistoryFormLinks CMainForm::ArchiveLinks()
{
    PlHistoryFormLinks links;
    links.writeTo = [this](const QString& recipient) { OpenCompose(recipient, 1); };
    links.chooseContact = [this](CHistoryForm& owner) {
        ShowContactList(QCursor::pos(), [form = QPointer(&owner)](std::int32_t row) {
            if (form)
                form->ContactPicked(row);
        });
    };
    links.contacts = &core_->Contacts();
    links.placements = &core_->Placements();
    return links;
}

void CMainForm::ShowLanSearch()
{
    QWidget* search = windows_.Find(CBrowseNetForm::kWindowKey);
    if (search == nullptr) {
        search = new CBrowseNetForm(*this);  // searches at once; deletes itself when closed
        windows_.Add(CBrowseNetForm::kWindowKey, search);
    }
    BringForward(*search);
}

void CMainForm::ShowOptions()
{
    QWidget* options = windows_.Find(COptionsForm::kWindowKey);
    if (options == nullptr) {
        core_->Options().ClearPendingOptions();
        options = new COptionsForm(core_->Options(), core_->LanguageFolder(),
                                   [this] { core_->ApplyPendingOptions(*this); });  // deletes itself when closed
        windows_.Add(COptionsForm::kWindowKey, options);
    }
    BringForward(*options);
}

void CMainForm::BringForward(QWidget& window)
{
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
}

void CMainForm::ShowAbout()
{
    QWidget* about = windows_.Find(kAboutKey);
    if (about == nullptr) {
        about = new PlFormAboutBox();  // deletes itself when closed
        windows_.Add(kAboutKey, about);
    }
    BringForward(*about);
}

// ---- options applied ----

void CMainForm::UnregisterHotKey(std::int32_t key)
{
    PlTrace(QStringLiteral("hot key %1 unregistered").arg(key));
    hotKeys_.Remove(key);
}

void CMainForm::RegisterHotKey(std::int32_t key, std::int32_t hotKey)
{
    PlTrace(QStringLiteral("hot key %1 registered: %2").arg(key).arg(Qs(pl::PlHotKeyText(hotKey))));
    hotKeys_.Set(key, static_cast<std::uint32_t>(hotKey), HotKeyAction(key));
}

void CMainForm::EnableHotKeys(bool enabled)
{
    PlTrace(enabled ? QStringLiteral("hot keys enabled") : QStringLiteral("hot keys disabled"));
    if (enabled)
        hotKeys_.Activate();
    else
        hotKeys_.Deactivate();
}

void CMainForm::SetArchiveTopmost(bool topmost)
{
    if (auto* form = qobject_cast<CHistoryForm*>(windows_.Find(CHistoryForm::kKey)))
        form->SetTopmost(topmost);
}

void CMainForm::SetArchiveShowDays(std::int32_t days)
{
    core_->Archive().SetShowDays(days);
}

// ---- shutdown ----

void CMainForm::RemoveTray()
{
    tray_.Remove();
}

void CMainForm::CloseWindows()
{
    windows_.CloseAll();
    messagePopup_.reset();
    errorPopup_.reset();
}

void CMainForm::closeEvent(QCloseEvent* event)
{
    if (!closing_) {
        closing_ = true;
        core_->Shutdown();
        QApplication::quit();
    }
    event->accept();
}
