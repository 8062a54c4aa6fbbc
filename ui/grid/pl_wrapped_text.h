#pragma once
// PlWrappedText: plain text laid out word-wrapped into a width, as the
// grid's rows show it. Lines break at word boundaries, and inside a word only
// when it is wider than the line; CR LF, LF and CR are line breaks. Text is
// never taken for markup.
//
// Threads: the user-interface thread (it uses the font machinery).

#include <QFont>
#include <QString>
#include <QTextLayout>

class QPainter;

class PlWrappedText {
public:
    PlWrappedText(const QString& text, const QFont& font, int width);

    const QString& Text() const { return text_; }
    int Width() const { return width_; }
    // The height of all lines, rounded up to whole pixels.
    int Height() const { return height_; }
    void Draw(QPainter& painter, int left, int top) const;

private:
    QString text_;
    int width_;
    QTextLayout layout_;
    int height_ = 0;
};
