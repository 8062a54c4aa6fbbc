#include "ui/contacts/pl_picker_placement.h"

QPoint PlPickerPosition(QPoint at, QSize size, const QRect& screen)
{
    const int screenBottom = screen.y() + screen.height();
    const int screenRight = screen.x() + screen.width();
    int top = at.y() - size.height() / 2;
    if (top + size.height() > screenBottom - 5)
        top = screenBottom - 5 - size.height();
    if (top < screen.y())
        top = screen.y();
    int left = at.x();
    if (left + size.width() > screenRight)
        left = at.x() - size.width();
    if (left < screen.x())
        left = screen.x();
    return QPoint(left, top);
}
