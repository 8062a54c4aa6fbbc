#include "ui/common/pl_qt_placement.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace {

QRect RectOf(const PlWindowPlacement& placement)
{
    return QRect(QPoint(placement.left, placement.top), QPoint(placement.right - 1, placement.bottom - 1));
}

}  // namespace

PlWindowPlacement PlPlacementOf(const QWidget& window)
{
    const QRect rect = window.isMaximized() || window.isFullScreen() ? window.normalGeometry() : window.geometry();
    PlWindowPlacement placement;
    placement.left = rect.left();
    placement.top = rect.top();
    placement.right = rect.left() + rect.width();
    placement.bottom = rect.top() + rect.height();
    placement.show = window.isMinimized()   ? PlWindowPlacement::Show::Minimised
                     : window.isMaximized() ? PlWindowPlacement::Show::Maximised
                                            : PlWindowPlacement::Show::Normal;
    placement.visible = window.isVisible();
    return placement;
}

void PlApplyPlacement(QWidget& window, const PlWindowPlacement& placement, std::uint32_t mask)
{
    QRect rect = window.geometry();
    if (mask & kPlPlacementLeft)
        rect.moveLeft(placement.left);
    if (mask & kPlPlacementTop)
        rect.moveTop(placement.top);
    if (mask & kPlPlacementWidth)
        rect.setWidth(placement.right - placement.left);
    if (mask & kPlPlacementHeight)
        rect.setHeight(placement.bottom - placement.top);
    window.setGeometry(rect);
    if (mask & kPlPlacementState)
        window.setWindowState(placement.show == PlWindowPlacement::Show::Minimised   ? Qt::WindowMinimized
                              : placement.show == PlWindowPlacement::Show::Maximised ? Qt::WindowMaximized
                                                                                     : Qt::WindowNoState);
    if (mask & kPlPlacementVisible)
        window.setVisible(placement.visible);
}

bool PlPlacementOnScreen(const PlWindowPlacement& placement)
{
    const QRect rect = RectOf(placement);
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().intersects(rect))
            return true;
    return false;
}
