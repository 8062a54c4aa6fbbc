#include "ui/popup/pl_cloud_wnd.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>

namespace {

constexpr int kFrame = 2;         // pixels between the window edge and the inner area
constexpr int kOuterCorner = 12;  // ellipse of the window's corners
constexpr int kInnerCorner = 6;   // ellipse of the inner area's corners

QRegion RoundedRegion(const QRect& rect, int corner)
{
    QPainterPath path;
    path.addRoundedRect(rect, corner / 2.0, corner / 2.0);
    return QRegion(path.toFillPolygon().toPolygon());
}

}  // namespace

PlCloudWnd::PlCloudWnd(std::unique_ptr<PlPopupTimer> timer)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      inner_(new QWidget(this)),
      timer_(timer ? std::move(timer) : std::make_unique<PlQtPopupTimer>())
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kBackground);
    palette.setColor(QPalette::Base, kBackground);
    setPalette(palette);
    setAutoFillBackground(true);
    inner_->setAutoFillBackground(true);
    timer_->SetExpired([this] { hide(); });
}

void PlCloudWnd::SetFrameColours(const QColor& first, const QColor& second)
{
    firstFrame_ = first;
    secondFrame_ = second;
    update();
}

void PlCloudWnd::SetAutoHide(int seconds)
{
    autoHideSeconds_ = seconds;
    RestartTimer();
}

void PlCloudWnd::ShowInactive()
{
    Layout();
    show();
    RestartTimer();
}

void PlCloudWnd::RestartTimer()
{
    if (autoHideSeconds_ > 0)
        timer_->Start(autoHideSeconds_ * 1000);
    else
        timer_->Stop();
}

void PlCloudWnd::showEvent(QShowEvent* event)
{
    Layout();
    QWidget::showEvent(event);
}

void PlCloudWnd::resizeEvent(QResizeEvent* event)
{
    inner_->setGeometry(rect().adjusted(kFrame, kFrame, -kFrame, -kFrame));
    setMask(RoundedRegion(rect(), kOuterCorner));
    inner_->setMask(RoundedRegion(inner_->rect(), kInnerCorner));
    QWidget::resizeEvent(event);
}

void PlCloudWnd::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow())
            timer_->Stop();  // the user works in it
        else
            RestartTimer();
    }
    QWidget::changeEvent(event);
}

void PlCloudWnd::paintEvent(QPaintEvent*)
{
    // The frame: top, left and three corners in the first colour; right,
    // bottom and the bottom-right corner in the second, one pixel inside.
    QPainter painter(this);
    const QRect outline = rect().adjusted(0, 0, -1, -1);
    const int arc = kOuterCorner;
    painter.setPen(firstFrame_);
    painter.drawLine(outline.left() + arc / 2, outline.top(), outline.right() - arc / 2, outline.top());
    painter.drawLine(outline.left(), outline.top() + arc / 2, outline.left(), outline.bottom() - arc / 2);
    painter.drawArc(QRect(outline.left(), outline.top(), arc, arc), 90 * 16, 90 * 16);
    painter.drawArc(QRect(outline.right() - arc, outline.top(), arc, arc), 0, 90 * 16);
    painter.drawArc(QRect(outline.left(), outline.bottom() - arc, arc, arc), 180 * 16, 90 * 16);
    painter.setPen(secondFrame_);
    painter.drawLine(outline.right(), outline.top() + arc / 2, outline.right(), outline.bottom() - arc / 2);
    painter.drawLine(outline.left() + arc / 2, outline.bottom(), outline.right() - arc / 2, outline.bottom());
    painter.drawArc(QRect(outline.right() - arc, outline.bottom() - arc, arc, arc), 270 * 16, 90 * 16);
}
