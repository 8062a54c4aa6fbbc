#pragma once
// Window placements (app/settings/pl_window_placement.h) of Qt windows. The
// stored rectangle is the window's position with its frame (Qt's pos()) and
// the size of its contents, so that a window restored from it opens where
// and as large as it was; the normal geometry is stored for a maximised or
// minimised window.
//
// User-interface thread only.

#include <QWidget>
#include <cstdint>
#include <string>

#include "app/settings/pl_window_placement.h"

// Applies the parts `mask` of the placement `name` to `window` and returns
// true when every one of them was stored; otherwise leaves the window alone.
bool PlRestoreWindowPlacement(PlPlacementStore& store, const std::string& name, QWidget& window, std::uint32_t mask);
void PlSaveWindowPlacement(PlPlacementStore& store, const std::string& name, const QWidget& window, std::uint32_t mask);
