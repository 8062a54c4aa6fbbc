#pragma once
// Window placements between Qt windows and the registry file: a window
// restores the parts its mask names, or takes its default place when any of
// them is missing, and saves them when it closes.

#include <QWidget>
#include <cstdint>
#include <string>

#include "app/settings/pl_window_placement.h"

// True when every part of `mask` was stored and the window took them; a
// stored rectangle that lies on no screen is not taken (false).
bool PlRestoreWindow(PlPlacementStore& store, const std::string& name, QWidget& window, std::uint32_t mask);
void PlSaveWindow(PlPlacementStore& store, const std::string& name, const QWidget& window, std::uint32_t mask);

// Centres `size` on the primary screen (the default place of most windows).
void PlCentreWindow(QWidget& window, const QSize& size);
