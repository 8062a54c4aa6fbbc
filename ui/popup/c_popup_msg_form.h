#pragma once
// CPopupMsgForm: the popup of a received message (links "Reply", "<<", ">>",
// "Copy") and of a failed send (no links): a caption bar with picture and
// title, a close button, the message view and the row of links, in a
// balloon. The message view shows plain text only: markup in a message is
// shown as it was written. The creator sets picture, links and callbacks,
// then calls Create; the popup is hidden, never destroyed, by its close
// button and its countdown.

#include <QPixmap>
#include <QString>
#include <functional>
#include <vector>

#include "ui/popup/pl_cloud_wnd.h"

class QTextEdit;
class QToolButton;
class PlStaticLink;
class plDragBar;

class CPopupMsgForm : public PlCloudWnd {
    Q_OBJECT

public:
    static constexpr int kWidth = 300;
    static constexpr int kViewLeft = 6;
    static constexpr int kViewTop = 30;
    static constexpr int kViewWidth = 288;
    static constexpr int kViewMinHeight = 100;
    static constexpr int kViewMaxHeight = 300;

    explicit CPopupMsgForm(std::unique_ptr<PlPopupTimer> timer = nullptr);

    void SetPicture(const QPixmap& picture) { picture_ = picture; }
    void AddLink(const QString& caption, std::function<void()> callback);
    void SetClosedCallback(std::function<void()> callback) { closed_ = std::move(callback); }
    // Builds the controls with the title the caption bar shows.
    void Create(const QString& title);

    void SetText(const QString& text);
    QString GetText() const;
    // 300 wide, as high as the message view's bottom + 25.
    QSize GetSize() const;

    // What the tests and the main window look at.
    QString Title() const;
    const std::vector<PlStaticLink*>& Links() const { return links_; }
    QRect MessageViewGeometry() const;
    void PressClose();

protected:
    void Layout() override;

private:
    struct LinkDescription {
        QString caption;
        std::function<void()> callback;
    };

    int ViewHeight() const;
    void PlaceLinks(int top);

    QPixmap picture_;
    std::vector<LinkDescription> descriptions_;
    std::function<void()> closed_;
    plDragBar* caption_ = nullptr;  // children of the inner area
    QToolButton* close_ = nullptr;
    QTextEdit* view_ = nullptr;
    std::vector<PlStaticLink*> links_;
};
