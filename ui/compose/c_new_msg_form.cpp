#include "ui/compose/c_new_msg_form.h"

#include <QCloseEvent>
#include <QCursor>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSizeGrip>
#include <QToolButton>
#include <algorithm>

#include "app/compose/pl_send_rules.h"
#include "ui/common/pl_qt_placement.h"
#include "ui/common/pl_qt_text.h"
#include "ui/common/pl_trace.h"
#include "ui/compose/pl_list_edit.h"
#include "ui/main/c_main_form.h"

namespace {

constexpr std::int32_t kTextTitle = 1401;
constexpr std::int32_t kTextTo = 1402;
constexpr std::int32_t kTextTooLong = 1407;
constexpr std::int32_t kTextSend = 105;
constexpr std::int32_t kTextClose = 106;

constexpr int kToolbarLeft = 35;
constexpr int kTop = 3;
constexpr int kFieldBottom = 32;
constexpr int kMessageTop = 37;
constexpr int kMargin = 5;
constexpr int kGrip = 18;

// Line breaks leave the window as CR LF, as the archive keeps them.
std::string WithCrLf(const QString& text)
{
    QString crlf = text;
    crlf.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    crlf.replace('\n', QStringLiteral("\r\n"));
    return Ss(crlf);
}

}  // namespace

CNewMsgForm::CNewMsgForm(CMainForm& main, const QString& recipient, int recipientType)
    : QWidget(nullptr, Qt::Window),
      main_(main),
      initialRecipient_(recipient),
      initialType_(recipientType),
      to_(new QLabel(Tx(kTextTo), this)),
      pick_(new QToolButton(this)),
      recipients_(new PlListEdit(this)),
      message_(new QPlainTextEdit(this)),
      send_(new QPushButton(Tx(kTextSend), this)),
      close_(new QPushButton(Tx(kTextClose), this)),
      grip_(new QSizeGrip(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Tx(kTextTitle));
    setWindowIcon(QIcon(QStringLiteral(":/icons/online.svg")));
    setMinimumSize(250, 220);
    pick_->setIcon(QIcon(QStringLiteral(":/icons/pick-contact.svg")));
    pick_->setIconSize(QSize(22, 22));
    pick_->setAutoRaise(true);
    to_->setTextFormat(Qt::PlainText);
    message_->setTabChangesFocus(true);
    grip_->resize(kGrip, kGrip);
    connect(pick_, &QToolButton::clicked, this, &CNewMsgForm::PickContact);
    connect(send_, &QPushButton::clicked, this, &CNewMsgForm::Send);
    connect(close_, &QPushButton::clicked, this, &QWidget::close);
    connect(recipients_, &PlListEdit::SendRequested, this, &CNewMsgForm::Send);
    // Ctrl+Enter sends from every control of the window.
    for (QWidget* control : std::initializer_list<QWidget*>{message_, send_, close_, pick_})
        control->installEventFilter(this);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    if (!PlRestoreWindow(main_.Core().Placements(), kPlacementName, *this, kPlacementMask))
        PlCentreWindow(*this, QSize(400, 300));
}

CNewMsgForm::~CNewMsgForm()
{
    if (worker_.joinable())
        worker_.join();
}

bool CNewMsgForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & Qt::ControlModifier) != 0) {
            Send();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CNewMsgForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    if (initialRecipient_.isEmpty()) {
        recipients_->setFocus();
        return;
    }
    recipients_->SetText(initialRecipient_);
    recipients_->SetType(0, initialType_);
    message_->setFocus();
}

void CNewMsgForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int w = width();
    const int h = height();
    grip_->move(w - kGrip, h - kGrip);
    const QSize button = close_->sizeHint().expandedTo(send_->sizeHint()).expandedTo(QSize(75, 0));
    close_->setGeometry(w - 12 - button.width(), h - 12 - button.height(), button.width(), button.height());
    send_->setGeometry(close_->x() - 15 - button.width(), close_->y(), button.width(), button.height());
    // The picker button stands at x 35, or after a longer "To" of a translation.
    const int toolbarLeft = std::max(kToolbarLeft, kMargin + to_->sizeHint().width() + 4);
    to_->setGeometry(kMargin, kTop, toolbarLeft - kMargin, kFieldBottom - kTop);
    pick_->setGeometry(toolbarLeft, kTop, 29, kFieldBottom - kTop);
    recipients_->setGeometry(pick_->geometry().right() + 1, kTop, w - kMargin - pick_->geometry().right() - 1,
                             kFieldBottom - kTop);
    message_->setGeometry(kMargin, kMessageTop, w - 3 - kMargin, close_->y() - 8 - kMessageTop);
}

void CNewMsgForm::Send()
{
    if (sending_)
        return;
    recipients_->MarkNames();
    PlMessengerCore& core = main_.Core();
    const std::uint64_t time = core.Now();
    std::string text = WithCrLf(message_->toPlainText());
    const std::vector<PlRecipient> recipients = PlReadRecipients(recipients_->Field(), core.Contacts().Tree());
    if (recipients.empty()) {
        recipients_->setFocus();  // nothing to send to: the text stays, nothing is lost
        return;
    }
    if (PlTextTooLongFor(recipients, text) &&
        QMessageBox::question(this, Tx(kTextTitle), Tx(kTextTooLong), QMessageBox::Ok | QMessageBox::Cancel,
                              QMessageBox::Ok) != QMessageBox::Ok)
        return;
    text_ = PlTextToSend(text);
    sendTime_ = time;
    sending_ = true;
    send_->setEnabled(false);
    setCursor(Qt::BusyCursor);
    PlTrace(QStringLiteral("sending to %1 recipients").arg(recipients.size()));
    // The worker writes outcomes_ only; the window reads it after the join.
    worker_ = std::thread([this, &core, recipients, text = text_] {
        outcomes_ = core.Send(recipients, text);
        QMetaObject::invokeMethod(
            this, [this] { Finish(true); }, Qt::QueuedConnection);
    });
}

// The results, in the order the window has always shown them: the archive
// rows, then the error popup (or the window closes), then the sound.
void CNewMsgForm::Finish(bool mayClose)
{
    if (!sending_)
        return;  // already finished by a close during the shutdown
    worker_.join();
    sending_ = false;
    send_->setEnabled(true);
    unsetCursor();
    const PlSendReport report = main_.Core().RecordSent(outcomes_, text_, sendTime_);
    PlTrace(report.allSent ? QStringLiteral("sent") : QStringLiteral("not sent to every recipient"));
    if (!report.allSent && !report.errorText.empty())
        main_.ShowErrorPopup(Qs(report.errorText));
    main_.PlaySound(report.sound);
    if (mayClose && (report.allSent || closeWhenSent_))
        close();
}

void CNewMsgForm::closeEvent(QCloseEvent* event)
{
    if (sending_ && !main_.ShuttingDown()) {
        // The send goes on out of sight; its results still count.
        closeWhenSent_ = true;
        hide();
        event->ignore();
        return;
    }
    if (sending_)
        Finish(false);  // the program ends: the send ends first, while the clients still run
    PlSaveWindow(main_.Core().Placements(), kPlacementName, *this, kPlacementMask);
    event->accept();
}

void CNewMsgForm::PickContact()
{
    main_.ShowContactList(QCursor::pos(), [self = QPointer<CNewMsgForm>(this)](std::int32_t row) {
        if (self)
            self->AddContact(row);
    });
}

void CNewMsgForm::AddContact(std::int32_t row)
{
    if (const auto item = main_.Core().Contacts().ItemAt(row))
        recipients_->AddRecipient(Qs(item->record.realName), item->record.type);
}
