#include "ui/contacts/pl_cool_menu.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <algorithm>

#include "ui/common/pl_qt_text.h"

PlCoolMenuModel::PlCoolMenuModel(PlCoolMenuManagerInterface& manager, std::vector<QIcon> images, QObject* parent)
    : QAbstractListModel(parent), manager_(manager), images_(std::move(images)), rows_(manager.GetRowCount())
{
}

int PlCoolMenuModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_;
}

QVariant PlCoolMenuModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return Qs(manager_.GetRowText(index.row()));
    if (role == Qt::DecorationRole) {
        const int image = manager_.GetRowImage(index.row());
        if (image >= 0 && image < static_cast<int>(images_.size()))
            return images_[static_cast<std::size_t>(image)];
    }
    if (role == Qt::FontRole && manager_.IsGroupRow(index.row())) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    return {};
}

void PlCoolMenuModel::Reload()
{
    beginResetModel();
    rows_ = manager_.GetRowCount();
    endResetModel();
}

void PlCoolMenuModel::Repaint()
{
    if (rows_ > 0)
        Q_EMIT dataChanged(index(0), index(rows_ - 1));
}

PlCoolMenu::PlCoolMenu(PlCoolMenuManagerInterface& manager, std::vector<QIcon> images, QWidget* parent)
    : QListView(parent), manager_(manager), model_(manager, std::move(images), this)
{
    setModel(&model_);
    setMouseTracking(true);
    setUniformItemSizes(true);
    setIconSize(QSize(16, 16));
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setStyleSheet(
        QStringLiteral("QListView::item { height: %1px; } QListView::item:hover { background: palette(highlight);"
                       " color: palette(highlighted-text); }")
            .arg(kRowHeight));
}

int PlCoolMenu::WantedHeight() const
{
    return std::clamp(std::max(model_.rowCount(), 1) * kRowHeight + 2 * frameWidth(), kRowHeight, kMaxHeight);
}

void PlCoolMenu::ClickRow(int row)
{
    if (row < 0 || row >= model_.rowCount())
        return;
    if (manager_.IsGroupRow(row)) {
        manager_.Toggle(row);
        model_.Reload();
        return;
    }
    Q_EMIT RowChosen(row);
}

void PlCoolMenu::mouseMoveEvent(QMouseEvent* event)
{
    if (!menuOpen_)
        currentRow_ = indexAt(event->position().toPoint()).row();
    QListView::mouseMoveEvent(event);
}

void PlCoolMenu::leaveEvent(QEvent* event)
{
    if (!menuOpen_)
        currentRow_ = -1;
    QListView::leaveEvent(event);
}

void PlCoolMenu::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        ClickRow(indexAt(event->position().toPoint()).row());
    QListView::mouseReleaseEvent(event);
}

void PlCoolMenu::contextMenuEvent(QContextMenuEvent* event)
{
    currentRow_ = indexAt(event->pos()).row();
    if (currentRow_ < 0)
        return;
    menuOpen_ = true;
    Q_EMIT ContextMenuWanted(currentRow_, event->globalPos());
    menuOpen_ = false;
}
