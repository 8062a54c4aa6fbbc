#pragma once
// plDragBar: the caption bar of a popup: its picture and its title in bold;
// dragging it moves the whole window.

#include <QPixmap>
#include <QPoint>
#include <QString>
#include <QWidget>

class plDragBar : public QWidget {
public:
    explicit plDragBar(QWidget* parent);
    void SetPicture(const QPixmap& picture);
    void SetTitle(const QString& title);
    const QString& Title() const { return title_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QPixmap picture_;
    QString title_;
    QPoint grab_;  // where the drag began, relative to the window
};
