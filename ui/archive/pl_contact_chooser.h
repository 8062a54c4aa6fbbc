#pragma once
// PlShowContactChooser: a menu of the contact list's rows at the cursor,
// for windows that ask the user to pick a contact (the archive window's
// choose buttons) while the program has no contact list window: group rows
// are headings, member rows are choices, and picking one calls `picked`
// with its row, as the contact list window reports a pick to its owner.
//
// Threads: the user-interface thread.

#include <QPoint>
#include <cstdint>
#include <functional>

class PlCoolMenuManagerInterface;
class QWidget;

void PlShowContactChooser(PlCoolMenuManagerInterface& rows, QWidget& owner, const QPoint& at,
                          const std::function<void(std::int32_t row)>& picked);
