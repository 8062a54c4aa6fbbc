#include "ui/options/pl_hot_key_edit.h"

#include <QKeyEvent>

#include "platform/desktop/pl_qt_virtual_key.h"
#include "platform/hotkeys/pl_hot_key_value.h"
#include "ui/common/pl_qt_text.h"

PlHotKeyEdit::PlHotKeyEdit(QWidget* parent) : QLineEdit(parent)
{
    setReadOnly(true);  // the keys are taken here; no text is typed in
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

void PlHotKeyEdit::SetValue(std::uint16_t value)
{
    value_ = value;
    setText(Qs(pl::PlHotKeyText(value)));
}

void PlHotKeyEdit::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    if (modifiers == Qt::NoModifier && (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete)) {
        SetValue(0);
        Q_EMIT ValueChanged(0);
        return;
    }
    if (const auto value = pl::PlHotKeyValueOf(*event)) {
        SetValue(*value);
        Q_EMIT ValueChanged(*value);
        return;
    }
    ShowHeldModifiers(modifiers);
}

void PlHotKeyEdit::keyReleaseEvent(QKeyEvent* event)
{
    Qt::KeyboardModifiers modifiers = event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    // Platforms differ in whether a released modifier is still reported.
    switch (event->key()) {
    case Qt::Key_Control: modifiers &= ~Qt::ControlModifier; break;
    case Qt::Key_Shift: modifiers &= ~Qt::ShiftModifier; break;
    case Qt::Key_Alt: modifiers &= ~Qt::AltModifier; break;
    default: break;
    }
    if (modifiers == Qt::NoModifier)
        SetValue(value_);  // modifiers let go without a key: the value stays
    else
        ShowHeldModifiers(modifiers);
}

void PlHotKeyEdit::ShowHeldModifiers(Qt::KeyboardModifiers modifiers)
{
    if (modifiers == Qt::NoModifier)
        return;
    QString text;
    const auto add = [&text](const char* name) { text += QLatin1String(name) + QStringLiteral(" + "); };
    if (modifiers.testFlag(Qt::ControlModifier))
        add("Ctrl");
    if (modifiers.testFlag(Qt::ShiftModifier))
        add("Shift");
    if (modifiers.testFlag(Qt::AltModifier))
        add("Alt");
    setText(text);
}
