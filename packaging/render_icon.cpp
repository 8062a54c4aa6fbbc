// pl_render_icon: draws an SVG picture as a square PNG of the given size,
// for the icon sizes of the hicolor theme. A build-time tool of the
// packaging: the installed icons are drawn by the renderer that draws the
// program's own tray icon.
//
//   pl_render_icon INPUT.svg SIZE OUTPUT.png

#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fputs("usage: pl_render_icon INPUT.svg SIZE OUTPUT.png\n", stderr);
        return 2;
    }
    const int size = std::atoi(argv[2]);
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid() || size < 1 || size > 1024) {
        std::fprintf(stderr, "pl_render_icon: cannot draw %s at size %s\n", argv[1], argv[2]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
    }
    if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "pl_render_icon: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
