#pragma once
// CNewMsgForm: the "Write message" window: recipients in a PlListEdit, one
// text, Send and Close. Send reads the recipients, asks before a text is cut
// to a message's limit, and sends on a worker thread, so that the window
// stays responsive and shows that it is sending (a second Send is refused
// meanwhile); the results come back to the user-interface thread, which
// keeps the archive rows, shows the error popup and plays the sounds, and
// closes the window when every recipient was reached.

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "app/core/pl_send_outcome.h"

class CMainForm;
class PlListEdit;
class QPlainTextEdit;
class QPushButton;
class QLabel;
class QToolButton;
class QSizeGrip;

class CNewMsgForm : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* kKey = "CNewMsgForm";
    static constexpr const char* kPlacementName = "sendmsg";
    static constexpr std::uint32_t kPlacementMask = 47;

    CNewMsgForm(CMainForm& main, const QString& recipient, int recipientType);
    ~CNewMsgForm() override;

    // Send, as the button and Ctrl+Enter do. Nothing while a send runs.
    void Send();
    bool IsSending() const { return sending_; }
    // A row of the contact list was chosen for this window.
    void AddContact(std::int32_t row);

    PlListEdit& Recipients() { return *recipients_; }
    QPlainTextEdit& Message() { return *message_; }
    QPushButton& SendButton() { return *send_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Finish(bool mayClose);
    void PickContact();

    CMainForm& main_;
    QString initialRecipient_;
    int initialType_;
    QLabel* to_;
    QToolButton* pick_;
    PlListEdit* recipients_;
    QPlainTextEdit* message_;
    QPushButton* send_;
    QPushButton* close_;
    QSizeGrip* grip_;
    bool shown_ = false;
    bool sending_ = false;
    bool closeWhenSent_ = false;
    std::string text_;                     // of the send in progress
    std::uint64_t sendTime_ = 0;           // its archive time
    std::vector<PlSendOutcome> outcomes_;  // written by the worker, read after its join
    std::thread worker_;
};
