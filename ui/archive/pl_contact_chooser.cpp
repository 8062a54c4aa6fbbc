#include "ui/archive/pl_contact_chooser.h"

#include <QMenu>

#include "archive/pl_cool_menu_manager_interface.h"
#include "ui/common/pl_qt_text.h"

void PlShowContactChooser(PlCoolMenuManagerInterface& rows, QWidget& owner, const QPoint& at,
                          const std::function<void(std::int32_t row)>& picked)
{
    const std::int32_t count = rows.GetRowCount();
    bool anyMember = false;
    for (std::int32_t row = 0; row < count && !anyMember; ++row)
        anyMember = !rows.IsGroupRow(row);
    if (!anyMember)
        return;
    auto* menu = new QMenu(&owner);  // the owner's child until it closes
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (std::int32_t row = 0; row < count; ++row) {
        const QString text = Qs(rows.GetRowText(row));
        if (rows.IsGroupRow(row))
            menu->addSection(text);
        else
            menu->addAction(text, &owner, [picked, row] { picked(row); });
    }
    menu->popup(at);
}
