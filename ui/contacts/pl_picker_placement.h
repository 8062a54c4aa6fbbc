#pragma once
// Where the contact list drops down at a point: vertically centred on it,
// its bottom at least 5 pixels above the screen's bottom edge and its top on
// the screen; to the right of the point, or to its left when it would leave
// the screen on the right.

#include <QPoint>
#include <QRect>
#include <QSize>

QPoint PlPickerPosition(QPoint at, QSize size, const QRect& screen);
