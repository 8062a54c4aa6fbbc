// The baseline of tools/bench-desktop.sh: a bare Qt 6 Widgets program that
// only shows a tray icon, the least a tray messenger can cost.

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setBrush(Qt::darkGreen);
    painter.drawRoundedRect(2, 4, 28, 22, 5, 5);
    painter.end();
    QSystemTrayIcon tray{QIcon(picture)};
    tray.setToolTip(QStringLiteral("bare tray"));
    tray.show();
    return app.exec();
}
