#include "ui/popup/pl_popup_placement.h"

namespace {

constexpr int kRightMargin = 15;
constexpr int kBottomMargin = 10;
constexpr int kGap = 10;

}  // namespace

PlPopupPositions PlPlacePopups(const QRect& available, std::optional<QSize> message, std::optional<QSize> error)
{
    PlPopupPositions positions;
    const int right = available.x() + available.width() - kRightMargin;
    int bottom = available.y() + available.height() - kBottomMargin;
    if (message) {
        positions.message = QPoint(right - message->width(), bottom - message->height());
        bottom -= message->height() + kGap;
    }
    if (error)
        positions.error = QPoint(right - error->width(), bottom - error->height());
    return positions;
}
