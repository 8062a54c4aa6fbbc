#include "ui/compose/pl_list_edit.h"

#include <QIcon>
#include <QKeyEvent>
#include <QMenu>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>

#include "ui/common/pl_qt_text.h"

namespace {

constexpr int kTypeProperty = QTextFormat::UserProperty + 1;
constexpr int kPictureSize = 16;
constexpr std::int32_t kTextTypes[] = {1404, 1405, 1406};

bool IsSeparator(QChar c)
{
    return c == u',' || c == u';';
}

QString PictureName(int type)
{
    return QStringLiteral("recipient-type:%1").arg(type);
}

}  // namespace

PlListEdit::PlListEdit(QWidget* parent) : QTextEdit(parent)
{
    setAcceptRichText(false);
    setLineWrapMode(QTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    for (int type = kRecipientPersonal; type <= kRecipientGroup; ++type)
        document()->addResource(QTextDocument::ImageResource, QUrl(PictureName(type)),
                                TypeIcon(type).pixmap(kPictureSize, kPictureSize));
    connect(this, &QTextEdit::cursorPositionChanged, this, &PlListEdit::MarkNames);
}

QIcon PlListEdit::TypeIcon(int type)
{
    switch (type) {
    case kRecipientBroadcast: return QIcon(QStringLiteral(":/icons/recipient-workgroup.svg"));
    case kRecipientGroup: return QIcon(QStringLiteral(":/icons/recipient-group.svg"));
    default: return QIcon(QStringLiteral(":/icons/recipient-user.svg"));
    }
}

int PlListEdit::PictureTypeAt(int position) const
{
    QTextCursor cursor(document());
    cursor.setPosition(position + 1);
    const QTextCharFormat format = cursor.charFormat();
    return format.isImageFormat() ? format.intProperty(kTypeProperty) : -1;
}

PlRecipientField PlListEdit::Field() const
{
    PlRecipientField field;
    const QString text = document()->toPlainText();
    for (int i = 0; i < text.size(); ++i) {
        char32_t code = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(text[i], text[i + 1]);
            field.text += code;
            ++i;
            continue;
        }
        if (code == kRecipientPicture) {
            const int type = PictureTypeAt(i);
            if (type > 0)
                field.pictures[field.text.size()] = type;
        }
        field.text += code;
    }
    return field;
}

std::vector<PlListEdit::Name> PlListEdit::Names() const
{
    std::vector<Name> names;
    const QString text = document()->toPlainText();
    int i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsSeparator(text[i]))
            ++i;
        Name name{-1, -1};
        for (; i < text.size() && !IsSeparator(text[i]); ++i) {
            if (text[i] == QChar(QChar::ObjectReplacementCharacter) && name.picture < 0 && PictureTypeAt(i) > 0)
                name.picture = i;
            else if (!text[i].isSpace() && name.first < 0)
                name.first = i;
        }
        if (name.first >= 0 || name.picture >= 0)
            names.push_back(name);
    }
    return names;
}

void PlListEdit::InsertPicture(int position, int type)
{
    QTextCursor cursor(document());
    cursor.setPosition(position);
    QTextImageFormat picture;
    picture.setName(PictureName(type));
    picture.setWidth(kPictureSize);
    picture.setHeight(kPictureSize);
    picture.setVerticalAlignment(QTextCharFormat::AlignMiddle);
    picture.setProperty(kTypeProperty, type);
    cursor.insertImage(picture);
    setCurrentCharFormat(QTextCharFormat());  // what is typed next is plain text
}

void PlListEdit::MarkNames()
{
    if (marking_)
        return;
    marking_ = true;
    const std::vector<Name> names = Names();
    // From the end, so that insertions do not move the positions still to do.
    for (auto it = names.rbegin(); it != names.rend(); ++it)
        if (it->picture < 0 && it->first >= 0)
            InsertPicture(it->first, kRecipientPersonal);
    marking_ = false;
}

void PlListEdit::SetText(const QString& text)
{
    marking_ = true;
    clear();
    setCurrentCharFormat(QTextCharFormat());
    textCursor().insertText(text);
    marking_ = false;
    MarkNames();
}

void PlListEdit::SetType(int index, int type)
{
    MarkNames();
    const std::vector<Name> names = Names();
    if (index < 0 || index >= static_cast<int>(names.size()) || names[static_cast<std::size_t>(index)].picture < 0)
        return;
    const int position = names[static_cast<std::size_t>(index)].picture;
    marking_ = true;
    QTextCursor cursor(document());
    cursor.setPosition(position);
    cursor.setPosition(position + 1, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    InsertPicture(position, type);
    marking_ = false;
}

void PlListEdit::AddRecipient(const QString& name, int type)
{
    marking_ = true;
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.setCharFormat(QTextCharFormat());
    if (!Names().empty())
        cursor.insertText(QStringLiteral(", "));
    cursor.insertText(name);
    marking_ = false;
    MarkNames();
    SetType(static_cast<int>(Names().size()) - 1, type);
}

void PlListEdit::ChooseType(int position)
{
    QMenu menu(this);
    for (int type = kRecipientPersonal; type <= kRecipientGroup; ++type)
        menu.addAction(TypeIcon(type), Tx(kTextTypes[type - 1]))->setData(type);
    const QRect at = cursorRect(QTextCursor(document()));
    QTextCursor cursor(document());
    cursor.setPosition(position);
    const QRect picture = cursorRect(cursor);
    QAction* chosen = menu.exec(viewport()->mapToGlobal(QPoint(picture.left(), at.bottom() + 2)));
    if (chosen == nullptr)
        return;
    const std::vector<Name> names = Names();
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i].picture == position)
            SetType(static_cast<int>(i), chosen->data().toInt());
}

void PlListEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if ((event->modifiers() & Qt::ControlModifier) != 0)
            Q_EMIT SendRequested();
        return;  // one line: Enter adds no line break
    }
    QTextEdit::keyPressEvent(event);
}

void PlListEdit::focusOutEvent(QFocusEvent* event)
{
    MarkNames();
    QTextEdit::focusOutEvent(event);
}

void PlListEdit::mouseReleaseEvent(QMouseEvent* event)
{
    QTextEdit::mouseReleaseEvent(event);
    const int position = cursorForPosition(event->position().toPoint()).position();
    // The click lands beside the picture it hit: look at both neighbours.
    for (const int candidate : {position, position - 1}) {
        if (candidate < 0)
            continue;
        QTextCursor cursor(document());
        cursor.setPosition(candidate);
        const QRect left = cursorRect(cursor);
        cursor.setPosition(candidate + 1);
        const QRect right = cursorRect(cursor);
        const int x = event->position().toPoint().x();
        if (PictureTypeAt(candidate) > 0 && x >= left.left() && x <= right.right()) {
            ChooseType(candidate);
            return;
        }
    }
}
