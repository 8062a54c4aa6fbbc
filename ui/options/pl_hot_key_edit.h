#pragma once
// PlHotKeyEdit: the hot-key entry control. Pressing a key with any of Ctrl,
// Shift and Alt makes it the control's 16-bit hot-key value
// (platform/hotkeys/pl_hot_key_value.h) and shows it as "Ctrl + Alt + F5";
// while only modifiers are held they are shown alone. Backspace and Delete
// without modifiers clear it (no hot key); Tab moves on as anywhere.
//
// User-interface thread only.

#include <QLineEdit>
#include <cstdint>

class PlHotKeyEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit PlHotKeyEdit(QWidget* parent = nullptr);

    std::uint16_t Value() const { return value_; }
    void SetValue(std::uint16_t value);

Q_SIGNALS:
    void ValueChanged(std::uint16_t value);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void ShowHeldModifiers(Qt::KeyboardModifiers modifiers);

    std::uint16_t value_ = 0;
};
