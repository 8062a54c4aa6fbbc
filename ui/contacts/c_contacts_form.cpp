#include "ui/contacts/c_contacts_form.h"

#include <QFrame>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <algorithm>

#include "archive/pl_contacts_manager.h"
#include "ui/common/pl_qt_text.h"
#include "ui/contacts/pl_cool_menu.h"
#include "ui/contacts/pl_picker_placement.h"
#include "ui/main/c_main_form.h"

namespace {

constexpr std::int32_t kTextAddContact = 1101;
constexpr std::int32_t kTextFindUsers = 1108;
constexpr std::int32_t kTextHistory = 1102;
constexpr std::int32_t kTextWrite = 1103;
constexpr std::int32_t kTextEdit = 1104;
constexpr std::int32_t kTextDelete = 1105;
constexpr std::int32_t kTextDeleteQuestion = 1106;
constexpr std::int32_t kTextViewHistory = 1107;
constexpr int kLine = 2;

// The eight pictures of the contact rows, by the contact list's image numbers.
std::vector<QIcon> ContactImages()
{
    const char* files[] = {
        "group-closed",         "group-open",      "recipient-workgroup", "recipient-user", "contact-workgroup-offline",
        "contact-user-offline", "recipient-group", "pick-contact"};
    std::vector<QIcon> images;
    for (const char* file : files)
        images.emplace_back(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(file)));
    return images;
}

}  // namespace

// The three fixed rows above the contacts.
class CContactsForm::ActionRows : public PlCoolMenuManagerInterface {
public:
    std::int32_t GetRowCount() override { return 3; }
    std::string GetRowText(std::int32_t row) override
    {
        static constexpr std::int32_t kTexts[] = {kTextAddContact, kTextFindUsers, kTextHistory};
        return row >= 0 && row < 3 ? PlTextTable::Instance().Text(kTexts[row]) : std::string();
    }
    std::int32_t GetRowImage(std::int32_t row) override { return row >= 0 && row < 3 ? row : -1; }
    bool IsGroupRow(std::int32_t) override { return false; }
    void Toggle(std::int32_t) override {}
};

CContactsForm::CContactsForm(CMainForm& main)
    : QWidget(nullptr, Qt::Popup),
      main_(main),
      actionRows_(std::make_unique<ActionRows>()),
      actions_(new PlCoolMenu(
          *actionRows_,
          {QIcon(QStringLiteral(":/icons/recipient-user.svg")),
           QIcon(QStringLiteral(":/icons/recipient-workgroup.svg")), QIcon(QStringLiteral(":/icons/blink.svg"))},
          this)),
      line_(new QFrame(this)),
      view_(new PlCoolMenu(main.Core().Contacts(), ContactImages(), this))
{
    setWindowTitle(QStringLiteral("Contacts"));
    line_->setFrameShape(QFrame::HLine);
    line_->setFrameShadow(QFrame::Sunken);
    connect(actions_, &PlCoolMenu::RowChosen, this, &CContactsForm::OnAction);
    connect(view_, &PlCoolMenu::RowChosen, this, &CContactsForm::Choose);
    connect(view_, &PlCoolMenu::ContextMenuWanted, this, &CContactsForm::OnContextMenu);
    main_.Core().Contacts().SetView(this);
}

CContactsForm::~CContactsForm()
{
    main_.Core().Contacts().SetView(nullptr);
}

// 230 pixels wide, or as wide as the longest action of a translation needs.
void CContactsForm::Layout()
{
    const int width = std::max(kWidth, actions_->sizeHintForColumn(0) + 2 * actions_->frameWidth() + 4);
    const int actionsHeight = actions_->WantedHeight();
    const int viewHeight = view_->WantedHeight();
    actions_->setGeometry(0, 0, width, actionsHeight);
    line_->setGeometry(0, actionsHeight, width, kLine);
    view_->setGeometry(0, actionsHeight + kLine, width, viewHeight);
    resize(width, actionsHeight + kLine + viewHeight);
}

void CContactsForm::ShowAt(QPoint point, std::function<void(std::int32_t row)> chosen)
{
    chosen_ = std::move(chosen);
    view_->Model().Reload();
    Layout();
    QScreen* screen = QGuiApplication::screenAt(point);
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    move(PlPickerPosition(point, size(), screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768)));
    show();
    raise();
}

void CContactsForm::Choose(int row)
{
    hide();
    if (chosen_)
        chosen_(row);
}

void CContactsForm::OnAction(int row)
{
    hide();
    switch (row) {
    case 0: main_.ShowContactEdit(std::nullopt); break;
    case 1: main_.ShowLanSearch(); break;
    default: main_.ShowArchive(-1); break;
    }
}

bool CContactsForm::OffersContactCommands(int row)
{
    return row >= 0 && !main_.Core().Contacts().IsGroupRow(row);
}

void CContactsForm::OnContextMenu(int row, QPoint at)
{
    QMenu menu(this);
    QAction* write = menu.addAction(Tx(kTextWrite), this, [this, row] { WriteTo(row); });
    QFont bold = write->font();
    bold.setBold(true);
    write->setFont(bold);
    const bool contact = OffersContactCommands(row);
    menu.addAction(Tx(kTextEdit), this, [this, row] { EditContact(row); })->setEnabled(contact);
    menu.addAction(Tx(kTextViewHistory), this, [this, row] { ShowHistory(row); })->setEnabled(contact);
    menu.addSeparator();
    menu.addAction(Tx(kTextDelete), this, [this, row] { DeleteContact(row); })->setEnabled(contact);
    menu.exec(at);
}

void CContactsForm::WriteTo(int row)
{
    if (row >= 0)
        Choose(row);
}

void CContactsForm::EditContact(int row)
{
    hide();
    if (const auto item = main_.Core().Contacts().ItemAt(row); item && !item->member.expired())
        main_.ShowContactEdit(item);
}

void CContactsForm::ShowHistory(int row)
{
    hide();
    if (const auto item = main_.Core().Contacts().ItemAt(row))
        main_.ShowHistoryOf(Qs(item->record.realName));
}

void CContactsForm::DeleteContact(int row)
{
    const auto item = main_.Core().Contacts().ItemAt(row);
    if (!item || item->member.expired())
        return;
    hide();
    if (QMessageBox::question(nullptr, QStringLiteral("Parlino Messenger"), Tx(kTextDeleteQuestion),
                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel) == QMessageBox::Yes)
        main_.Core().Contacts().RemoveContact(item->member);
}

void CContactsForm::RefreshList()
{
    QMetaObject::invokeMethod(
        this,
        [this] {
            view_->Model().Reload();
            if (isVisible())
                Layout();
        },
        Qt::QueuedConnection);
}

void CContactsForm::Repaint()
{
    QMetaObject::invokeMethod(
        this, [this] { view_->Model().Repaint(); }, Qt::QueuedConnection);
}
