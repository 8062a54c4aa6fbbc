#include "ui/popup/pl_drag_bar.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int kPictureLeft = 6;
constexpr int kTitleGap = 6;

}  // namespace

plDragBar::plDragBar(QWidget* parent) : QWidget(parent)
{
    QFont bold = font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.25);
    setFont(bold);
    setCursor(Qt::SizeAllCursor);
}

void plDragBar::SetPicture(const QPixmap& picture)
{
    picture_ = picture;
    update();
}

void plDragBar::SetTitle(const QString& title)
{
    title_ = title;
    update();
}

void plDragBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    int left = kPictureLeft;
    if (!picture_.isNull()) {
        const QSize size = picture_.deviceIndependentSize().toSize();
        painter.drawPixmap(left, (height() - size.height()) / 2, picture_);
        left += size.width() + kTitleGap;
    }
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRect(left, 0, width() - left, height()), Qt::AlignVCenter | Qt::AlignLeft,
                     fontMetrics().elidedText(title_, Qt::ElideRight, width() - left - 24));
}

void plDragBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        grab_ = event->globalPosition().toPoint() - window()->frameGeometry().topLeft();
}

void plDragBar::mouseMoveEvent(QMouseEvent* event)
{
    if ((event->buttons() & Qt::LeftButton) != 0)
        window()->move(event->globalPosition().toPoint() - grab_);
}
