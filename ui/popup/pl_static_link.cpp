#include "ui/popup/pl_static_link.h"

#include <QMouseEvent>

PlStaticLink::PlStaticLink(const QString& caption, std::function<void()> callback, QWidget* parent)
    : QLabel(caption, parent), callback_(std::move(callback))
{
    setTextFormat(Qt::PlainText);
    QFont linkFont = font();
    linkFont.setBold(true);
    linkFont.setUnderline(true);
    setFont(linkFont);
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Link));
    setPalette(palette);
    setCursor(Qt::PointingHandCursor);
}

void PlStaticLink::Click()
{
    if (callback_)
        callback_();
}

void PlStaticLink::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Click();
    QLabel::mouseReleaseEvent(event);
}
