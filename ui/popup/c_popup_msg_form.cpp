#include "ui/popup/c_popup_msg_form.h"

#include <QIcon>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>
#include <algorithm>

#include "ui/popup/pl_drag_bar.h"
#include "ui/popup/pl_static_link.h"

namespace {

constexpr int kCaptionWidth = 298;
constexpr int kCaptionHeight = 25;
constexpr int kCloseLeft = 274;
constexpr int kCloseTop = 3;
constexpr int kCloseSize = 17;
constexpr int kLinkGap = 5;
constexpr int kLinkHeight = 15;
constexpr int kBottomSpace = 25;

}  // namespace

CPopupMsgForm::CPopupMsgForm(std::unique_ptr<PlPopupTimer> timer) : PlCloudWnd(std::move(timer)) {}

void CPopupMsgForm::AddLink(const QString& caption, std::function<void()> callback)
{
    descriptions_.push_back({caption, std::move(callback)});
}

void CPopupMsgForm::Create(const QString& title)
{
    setWindowTitle(title);
    QWidget* area = InnerArea();
    caption_ = new plDragBar(area);
    caption_->setGeometry(0, 0, kCaptionWidth, kCaptionHeight);
    caption_->SetTitle(title);
    caption_->SetPicture(picture_);

    view_ = new QTextEdit(area);
    view_->setReadOnly(true);
    view_->setAcceptRichText(false);
    view_->setFrameShape(QFrame::NoFrame);
    view_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    view_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont larger = view_->font();
    larger.setPointSizeF(larger.pointSizeF() * 1.25);
    view_->setFont(larger);
    view_->setPalette(palette());

    close_ = new QToolButton(area);
    close_->setIcon(QIcon(QStringLiteral(":/icons/close.svg")));
    close_->setIconSize(QSize(kCloseSize - 4, kCloseSize - 4));
    close_->setAutoRaise(true);
    close_->setText(QStringLiteral("X"));
    close_->resize(kCloseSize, kCloseSize);
    connect(close_, &QToolButton::clicked, this, &CPopupMsgForm::PressClose);

    for (const LinkDescription& description : descriptions_)
        links_.push_back(new PlStaticLink(description.caption, description.callback, area));
    Layout();
}

void CPopupMsgForm::PressClose()
{
    if (closed_)
        closed_();
    hide();
}

void CPopupMsgForm::SetText(const QString& text)
{
    if (view_ == nullptr)
        return;
    view_->setPlainText(text);
    Layout();
}

QString CPopupMsgForm::GetText() const
{
    return view_ == nullptr ? QString() : view_->toPlainText();
}

QString CPopupMsgForm::Title() const
{
    return caption_ == nullptr ? QString() : caption_->Title();
}

QRect CPopupMsgForm::MessageViewGeometry() const
{
    return view_ == nullptr ? QRect() : view_->geometry();
}

int CPopupMsgForm::ViewHeight() const
{
    if (view_ == nullptr)
        return kViewMinHeight;
    QTextDocument* document = view_->document();
    document->setTextWidth(kViewWidth - 2 * view_->frameWidth() - view_->verticalScrollBar()->sizeHint().width());
    const int needed = static_cast<int>(document->size().height()) + 2 * view_->frameWidth() + 2;
    return std::clamp(needed, kViewMinHeight, kViewMaxHeight);
}

QSize CPopupMsgForm::GetSize() const
{
    return QSize(kWidth, kViewTop + ViewHeight() + kBottomSpace);
}

// The links share the view's width equally. A caption too long for its
// share (a translation) would be cut; then each link takes its caption's
// width and the rest of the row is shared out between them.
void CPopupMsgForm::PlaceLinks(int top)
{
    if (links_.empty())
        return;
    const int count = static_cast<int>(links_.size());
    std::vector<int> widths(links_.size(), kViewWidth / count);
    int needed = 0;
    bool cut = false;
    for (std::size_t i = 0; i < links_.size(); ++i) {
        const int natural = links_[i]->sizeHint().width();
        needed += natural;
        cut = cut || natural > widths[i];
        widths[i] = natural;
    }
    if (!cut || needed > kViewWidth) {
        std::fill(widths.begin(), widths.end(), kViewWidth / count);
    } else {
        for (int& width : widths)
            width += (kViewWidth - needed) / count;
    }
    int left = kViewLeft;
    for (std::size_t i = 0; i < links_.size(); ++i) {
        links_[i]->setGeometry(left, top, widths[i], kLinkHeight);
        left += widths[i];
    }
}

void CPopupMsgForm::Layout()
{
    if (view_ == nullptr)
        return;
    const int height = ViewHeight();
    view_->setGeometry(kViewLeft, kViewTop, kViewWidth, height);
    PlaceLinks(kViewTop + height + kLinkGap);
    close_->move(kCloseLeft, kCloseTop);
    resize(GetSize());
}
