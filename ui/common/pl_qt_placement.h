#pragma once
// A window's placement between Qt and the placement store: its normal
// (restored) rectangle as the client area's screen rectangle, whether it is
// minimised or maximised, and whether it is visible.
//
// Threads: the user-interface thread.

#include <cstdint>

#include "app/settings/pl_window_placement.h"

class QWidget;

PlWindowPlacement PlPlacementOf(const QWidget& window);
// Applies the parts of `placement` that `mask` names: the rectangle (the
// parts of it named), then the state, then the visibility.
void PlApplyPlacement(QWidget& window, const PlWindowPlacement& placement, std::uint32_t mask);
// True when the rectangle of `placement` lies at least partly on one of the
// screens, so that a window placed there can be reached.
bool PlPlacementOnScreen(const PlWindowPlacement& placement);
