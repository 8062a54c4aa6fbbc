#pragma once
// CContactEditForm: the "Contact information" window that creates a contact
// or edits one: its type (user or computer, workgroup or domain), recipient
// name, display name and group, checked in that order before Save. A window
// whose contact was removed meanwhile never writes into it: Save then keeps
// the edited values as a new contact.

#include <QString>
#include <QWidget>
#include <memory>
#include <optional>

#include "archive/pl_contacts_manager.h"

class QRadioButton;
class QLineEdit;
class QComboBox;
class QPushButton;

class CContactEditForm : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* kKey = "CContactEditForm";

    // `contact`: the row item to edit; none for a new contact. `prefill`
    // fills a new contact's controls (from a LAN search result).
    CContactEditForm(PlContactsManager& contacts, std::optional<PlContactItem> contact,
                     const std::optional<PlContactRecord>& prefill = std::nullopt);

    bool IsNewContact() const { return !contact_.has_value(); }
    // Checks and saves, as the Save button does; when a check fails, nothing
    // is saved and the text of the failed check is returned (the button shows
    // it in a message box and the window stays).
    QString Save();

    QRadioButton& UserButton() { return *user_; }
    QRadioButton& WorkgroupButton() { return *workgroup_; }
    QLineEdit& RecipientEdit() { return *recipient_; }
    QLineEdit& DisplayEdit() { return *display_; }
    QComboBox& GroupEdit() { return *group_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Fill(const PlContactRecord& record);

    PlContactsManager& contacts_;
    std::optional<PlContactItem> contact_;
    QRadioButton* user_;
    QRadioButton* workgroup_;
    QLineEdit* recipient_;
    QLineEdit* display_;
    QComboBox* group_;
    QPushButton* save_;
    QPushButton* cancel_;
};
