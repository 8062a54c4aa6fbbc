#include "ui/contacts/c_contact_edit_form.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "ui/common/pl_qt_placement.h"
#include "ui/common/pl_qt_text.h"

namespace {

constexpr std::int32_t kTextTitle = 1001;
constexpr std::int32_t kTextRecipientKind = 1002;
constexpr std::int32_t kTextUser = 1003;
constexpr std::int32_t kTextWorkgroup = 1004;
constexpr std::int32_t kTextRecipient = 1005;
constexpr std::int32_t kTextDisplay = 1006;
constexpr std::int32_t kTextGroup = 1007;
constexpr std::int32_t kTextNoRecipient = 1008;
constexpr std::int32_t kTextNoDisplay = 1009;
constexpr std::int32_t kTextNoGroup = 1010;
constexpr std::int32_t kTextBadName = 1011;
constexpr std::int32_t kTextSave = 104;
constexpr std::int32_t kTextCancel = 102;

}  // namespace

CContactEditForm::CContactEditForm(PlContactsManager& contacts, std::optional<PlContactItem> contact,
                                   const std::optional<PlContactRecord>& prefill)
    : QWidget(nullptr, Qt::Window),
      contacts_(contacts),
      contact_(std::move(contact)),
      user_(new QRadioButton(Tx(kTextUser))),
      workgroup_(new QRadioButton(Tx(kTextWorkgroup))),
      recipient_(new QLineEdit),
      display_(new QLineEdit),
      group_(new QComboBox),
      save_(new QPushButton(Tx(kTextSave))),
      cancel_(new QPushButton(Tx(kTextCancel)))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Tx(kTextTitle));
    setWindowIcon(QIcon(QStringLiteral(":/icons/recipient-user.svg")));
    user_->setChecked(true);
    group_->setEditable(true);
    std::vector<std::string> groups;
    contacts_.GetGroupNames(groups);
    for (const std::string& name : groups)
        group_->addItem(Qs(name));
    group_->setCurrentText(QString());

    auto* kind = new QGroupBox(Tx(kTextRecipientKind));
    auto* kindLayout = new QVBoxLayout(kind);
    kindLayout->addWidget(user_);
    kindLayout->addWidget(workgroup_);
    auto* fields = new QFormLayout;
    fields->addRow(Tx(kTextRecipient), recipient_);
    fields->addRow(Tx(kTextDisplay), display_);
    fields->addRow(Tx(kTextGroup), group_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kind);
    layout->addLayout(fields);
    layout->addStretch();
    layout->addLayout(buttons);
    save_->setDefault(true);
    connect(save_, &QPushButton::clicked, this, [this] {
        const QString refusal = Save();
        if (refusal.isEmpty())
            close();
        else
            QMessageBox::information(this, QStringLiteral("Parlino Messenger"), refusal);
    });
    connect(cancel_, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);

    if (contact_)
        Fill(contact_->record);
    else if (prefill)
        Fill(*prefill);
    setFixedSize(QSize(350, 220).expandedTo(sizeHint()));
    PlCentreWindow(*this, size());
}

void CContactEditForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    recipient_->setFocus();  // the recipient name comes first
}

void CContactEditForm::Fill(const PlContactRecord& record)
{
    (record.type == kContactUser ? user_ : workgroup_)->setChecked(true);
    recipient_->setText(Qs(record.realName));
    display_->setText(Qs(record.displayName));
    group_->setCurrentText(Qs(record.groupName));
}

QString CContactEditForm::Save()
{
    PlContactRecord record;
    record.type = workgroup_->isChecked() ? kContactWorkgroup : kContactUser;
    record.realName = Ss(recipient_->text().trimmed());
    record.displayName = Ss(display_->text().trimmed());
    record.groupName = Ss(group_->currentText().trimmed());
    if (record.realName.empty())
        return Tx(kTextNoRecipient);
    if (record.displayName.empty())
        return Tx(kTextNoDisplay);
    if (record.groupName.empty())
        return Tx(kTextNoGroup);
    PlContactEdit result = contact_ ? contacts_.UpdateContact(contact_->member, record) : contacts_.AddContact(record);
    if (result == PlContactEdit::kNoSuchMember)
        result = contacts_.AddContact(record);  // removed meanwhile: kept as a new contact
    if (result == PlContactEdit::kBadName || result == PlContactEdit::kBadType)
        return Tx(kTextBadName);
    return {};
}
