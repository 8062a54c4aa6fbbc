#pragma once
// Where the popups stand: in the bottom-right corner of the screen's
// available area (the area panels leave free), 15 pixels from its right edge
// and 10 from its bottom; a visible error popup stands 10 pixels above a
// visible message popup.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

struct PlPopupPositions {
    std::optional<QPoint> message;
    std::optional<QPoint> error;
};

// Sizes of the visible popups (none: not shown).
PlPopupPositions PlPlacePopups(const QRect& available, std::optional<QSize> message, std::optional<QSize> error);
