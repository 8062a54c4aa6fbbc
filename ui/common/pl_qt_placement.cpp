#include "ui/common/pl_qt_placement.h"

#include "ui/common/pl_qt_text.h"
#include "ui/common/pl_trace.h"

namespace {

PlWindowPlacement PlacementOf(const QWidget& window)
{
    const bool normal = !window.isMaximized() && !window.isMinimized();
    const QRect contents = normal ? window.geometry() : window.normalGeometry();
    const QPoint position = normal ? window.pos() : contents.topLeft();
    PlWindowPlacement placement;
    placement.left = position.x();
    placement.top = position.y();
    placement.right = position.x() + contents.width();
    placement.bottom = position.y() + contents.height();
    placement.show = window.isMinimized()   ? PlWindowPlacement::Show::Minimised
                     : window.isMaximized() ? PlWindowPlacement::Show::Maximised
                                            : PlWindowPlacement::Show::Normal;
    placement.visible = window.isVisible();
    return placement;
}

}  // namespace

bool PlRestoreWindowPlacement(PlPlacementStore& store, const std::string& name, QWidget& window, std::uint32_t mask)
{
    PlWindowPlacement placement = PlacementOf(window);
    if (!store.RestorePlacement(name, placement, mask))
        return false;
    window.move(placement.left, placement.top);
    window.resize(placement.right - placement.left, placement.bottom - placement.top);
    if ((mask & kPlPlacementState) != 0) {
        switch (placement.show) {
        case PlWindowPlacement::Show::Minimised: window.setWindowState(Qt::WindowMinimized); break;
        case PlWindowPlacement::Show::Maximised: window.setWindowState(Qt::WindowMaximized); break;
        case PlWindowPlacement::Show::Normal: window.setWindowState(Qt::WindowNoState); break;
        }
    }
    if ((mask & kPlPlacementVisible) != 0)
        window.setVisible(placement.visible);
    return true;
}

void PlSaveWindowPlacement(PlPlacementStore& store, const std::string& name, const QWidget& window, std::uint32_t mask)
{
    if (!store.SavePlacement(name, PlacementOf(window), mask))
        PlTrace(QStringLiteral("the placement \"%1\" could not be saved").arg(Qs(name)));
}
