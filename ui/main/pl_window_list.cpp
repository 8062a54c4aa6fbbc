#include "ui/main/pl_window_list.h"

#include <algorithm>

QWidget* PlWindowList::Find(const QString& key) const
{
    for (const Entry& entry : entries_)
        if (entry.key == key && entry.window)
            return entry.window;
    return nullptr;
}

void PlWindowList::Add(const QString& key, QWidget* window)
{
    entries_.push_back({key, window});
    QObject::connect(window, &QObject::destroyed, &context_, [this, window] { Remove(window); });
}

void PlWindowList::Remove(QWidget* window)
{
    std::erase_if(entries_, [window](const Entry& entry) { return entry.window == window || !entry.window; });
}

void PlWindowList::CloseAll()
{
    while (!entries_.empty()) {
        QPointer<QWidget> window = entries_.back().window;
        entries_.pop_back();
        if (window)
            window->close();
    }
}
