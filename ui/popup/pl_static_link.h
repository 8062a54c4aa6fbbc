#pragma once
// PlStaticLink: a text that acts as a link: bold and underlined, a pointing
// hand over it, and a click runs its callback.

#include <QLabel>
#include <functional>

class PlStaticLink : public QLabel {
public:
    PlStaticLink(const QString& caption, std::function<void()> callback, QWidget* parent);

    void Click();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::function<void()> callback_;
};
