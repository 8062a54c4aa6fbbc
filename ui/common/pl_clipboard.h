#pragma once
// PlClipboard: puts a text on the desktop's clipboard (and on the X11
// selection where there is one).

#include <QString>

void PlClipboard(const QString& text);
