#include "ui/grid/pl_wrapped_text.h"

#include <QPainter>
#include <QTextOption>
#include <cmath>

namespace {

QString WithLineSeparators(QString text)
{
    text.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    text.replace(QLatin1Char('\r'), QChar::LineSeparator);
    return text;
}

}  // namespace

PlWrappedText::PlWrappedText(const QString& text, const QFont& font, int width)
    : text_(text), width_(width), layout_(WithLineSeparators(text), font)
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout_.setTextOption(option);
    layout_.setCacheEnabled(true);
    layout_.beginLayout();
    qreal y = 0;
    for (QTextLine line = layout_.createLine(); line.isValid(); line = layout_.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout_.endLayout();
    height_ = static_cast<int>(std::ceil(y));
}

void PlWrappedText::Draw(QPainter& painter, int left, int top) const
{
    layout_.draw(&painter, QPointF(left, top));
}
