#pragma once
// PlWindowList: the open windows of the program in the order they were
// registered, each under the key of its kind ("CNewMsgForm", "CHistoryForm"
// ...; several compose windows share a key). A window leaves the list when
// it is destroyed. CloseAll closes them newest first.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <vector>

class PlWindowList {
public:
    // The first window registered under `key`, or null.
    QWidget* Find(const QString& key) const;
    void Add(const QString& key, QWidget* window);
    void Remove(QWidget* window);
    // Closes each window from the last registered to the first.
    void CloseAll();
    std::size_t Count() const { return entries_.size(); }

private:
    // The context of the connections to the windows' destruction: a window
    // that outlives the list (deleted later) no longer calls it.
    QObject context_;
    struct Entry {
        QString key;
        QPointer<QWidget> window;
    };
    std::vector<Entry> entries_;
};
