#include "ui/common/pl_qt_placement.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

PlWindowPlacement PlacementOf(const QWidget& window)
{
    const QRect normal = window.isMaximized() || window.isMinimized() ? window.normalGeometry() : window.geometry();
    PlWindowPlacement placement;
    placement.left = normal.left();
    placement.top = normal.top();
    placement.right = normal.left() + normal.width();
    placement.bottom = normal.top() + normal.height();
    placement.show = window.isMinimized()   ? PlWindowPlacement::Show::Minimised
                     : window.isMaximized() ? PlWindowPlacement::Show::Maximised
                                            : PlWindowPlacement::Show::Normal;
    placement.visible = window.isVisible();
    return placement;
}

// True when `rect` lies at least partly on one of the screens.
bool OnAScreen(const QRect& rect)
{
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().intersects(rect))
            return true;
    return false;
}

}  // namespace

bool PlRestoreWindow(PlPlacementStore& store, const std::string& name, QWidget& window, std::uint32_t mask)
{
    PlWindowPlacement placement = PlacementOf(window);
    if (!store.RestorePlacement(name, placement, mask))
        return false;
    const QRect rect(QPoint(placement.left, placement.top), QPoint(placement.right - 1, placement.bottom - 1));
    if (!OnAScreen(rect))
        return false;  // a screen was removed or the values were edited: the window could not be reached
    window.setGeometry(rect);
    if ((mask & kPlPlacementState) != 0) {
        if (placement.show == PlWindowPlacement::Show::Maximised)
            window.setWindowState(Qt::WindowMaximized);
        else if (placement.show == PlWindowPlacement::Show::Minimised)
            window.setWindowState(Qt::WindowMinimized);
    }
    return true;
}

void PlSaveWindow(PlPlacementStore& store, const std::string& name, const QWidget& window, std::uint32_t mask)
{
    store.SavePlacement(name, PlacementOf(window), mask);
}

void PlCentreWindow(QWidget& window, const QSize& size)
{
    window.resize(size);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        window.move(area.x() + area.width() / 2 - size.width() / 2, area.y() + area.height() / 2 - size.height() / 2);
    }
}
