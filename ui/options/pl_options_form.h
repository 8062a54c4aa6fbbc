#pragma once
// PlOptionsForm: the options window without its pages: a tree of categories
// and pages on the left, the shown page with its title above it on the
// right, OK and Cancel at the bottom. A category is never the selection: a
// click on it shows its first page. One page exists at a time; the values a
// page stored stay pending when another page is shown. OK calls the
// options-applied callback and closes; Cancel and the close box close
// without it. The window deletes itself when closed.
//
// User-interface thread only.

#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <functional>
#include <map>
#include <memory>

#include "ui/options/pl_options_page.h"

class PlOptionsForm : public QDialog {
public:
    using PageFactory = std::function<std::unique_ptr<PlOptionsPage>(QWidget* parent)>;

    explicit PlOptionsForm(std::function<void()> applied);

    // Adds a category (no factory) at the top, or a page below `category`.
    QTreeWidgetItem* AddNode(QTreeWidgetItem* category, const QString& label, const QString& title,
                             PageFactory page = {});
    // Expands every node and shows the first page; the page area takes the
    // size of the largest page, at least `minimum`.
    void FinishTree(QSize minimum);

    QTreeWidget& Tree() { return *tree_; }
    PlOptionsPage* CurrentPage() { return page_; }
    QString Title() const { return title_->text(); }
    QPushButton& OkButton() { return *ok_; }
    QPushButton& CancelButton() { return *cancel_; }

private:
    struct Node {
        QString title;
        PageFactory page;
    };

    void OnCurrentChanged(QTreeWidgetItem* current);
    void ShowPage(QTreeWidgetItem* item);
    void OnOk();

    std::function<void()> applied_;
    QTreeWidget* tree_ = nullptr;
    QLabel* title_ = nullptr;
    QWidget* pageArea_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    std::map<QTreeWidgetItem*, Node> nodes_;
    QPointer<PlOptionsPage> page_;
};
