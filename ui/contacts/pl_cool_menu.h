#pragma once
// PlCoolMenu: a list of 20-pixel rows drawn from a PlCoolMenuManagerInterface
// (the contact list, or a few fixed action rows): the row under the mouse is
// the current one (-1 when the mouse is elsewhere, kept while a context menu
// is open). A click on a group row opens or closes the group; a click on any
// other row chooses it; a right click asks for the context menu.

#include <QAbstractListModel>
#include <QIcon>
#include <QListView>
#include <vector>

#include "archive/pl_cool_menu_manager_interface.h"

class PlCoolMenuModel : public QAbstractListModel {
public:
    PlCoolMenuModel(PlCoolMenuManagerInterface& manager, std::vector<QIcon> images, QObject* parent);
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // The manager's rows changed in number or order / in text or image.
    void Reload();
    void Repaint();

private:
    PlCoolMenuManagerInterface& manager_;
    std::vector<QIcon> images_;
    int rows_ = 0;
};

class PlCoolMenu : public QListView {
    Q_OBJECT

public:
    static constexpr int kRowHeight = 20;
    static constexpr int kMaxHeight = 500;

    PlCoolMenu(PlCoolMenuManagerInterface& manager, std::vector<QIcon> images, QWidget* parent);

    PlCoolMenuModel& Model() { return model_; }
    int CurrentRow() const { return currentRow_; }
    // As tall as its rows: at least one, at most kMaxHeight pixels.
    int WantedHeight() const;
    // What a click on a row does (also for tests).
    void ClickRow(int row);

Q_SIGNALS:
    void RowChosen(int row);
    void ContextMenuWanted(int row, QPoint globalPosition);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    PlCoolMenuManagerInterface& manager_;
    PlCoolMenuModel model_;
    int currentRow_ = -1;
    bool menuOpen_ = false;
};
