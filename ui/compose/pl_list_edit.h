#pragma once
// PlListEdit: the recipient field of the compose window. Names separated by
// "," or ";", each preceded by a small picture of its type (1 user or
// computer, 2 domain or workgroup, 3 contact group). A name without a picture
// gets one of type 1 whenever the selection changes and when the field loses
// the focus; a click on a picture offers the three types below it. The text
// people type stays plain text; only the pictures are objects.

#include <QString>
#include <QTextEdit>

#include "app/compose/pl_recipients.h"

class QMenu;

class PlListEdit : public QTextEdit {
    Q_OBJECT

public:
    explicit PlListEdit(QWidget* parent = nullptr);

    // The field as the compose window reads it: each picture one position.
    PlRecipientField Field() const;
    int TypeAt(std::size_t first, std::size_t last) const { return Field().TypeAt(first, last); }
    // Replaces the content and marks every name (type 1).
    void SetText(const QString& text);
    // Gives the `index`-th name a picture of `type`.
    void SetType(int index, int type);
    // Appends a name (after ", " when the field holds one) with its type.
    void AddRecipient(const QString& name, int type);
    // Marks every name that has no picture with one of type 1.
    void MarkNames();

    // The picture of a type, as the field and the menus show it.
    static QIcon TypeIcon(int type);

Q_SIGNALS:
    // Ctrl+Enter, which sends the message.
    void SendRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct Name {
        int first;    // document position of its first character
        int picture;  // document position of its picture, or -1
    };
    std::vector<Name> Names() const;
    int PictureTypeAt(int position) const;
    void InsertPicture(int position, int type);
    void ChooseType(int position);

    bool marking_ = false;
};
