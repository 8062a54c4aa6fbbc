#pragma once
// PlCloudWnd: the balloon window of the popups: frameless and topmost, light
// yellow, with rounded corners and a two-coloured frame, shown without taking
// the focus, and hiding itself when its countdown runs out. The countdown
// starts from the full time when the balloon is shown, when its time is set
// and when it loses activation (a click outside it); it stops while the user
// works in it (it is active). Time 0: it never hides itself.

#include <QColor>
#include <QWidget>
#include <memory>

#include "ui/popup/pl_popup_timer.h"

class PlCloudWnd : public QWidget {
    Q_OBJECT

public:
    static inline const QColor kBackground{255, 255, 225};
    static inline const QColor kDefaultFrame{255, 224, 119};

    // `timer` null: a QTimer countdown.
    explicit PlCloudWnd(std::unique_ptr<PlPopupTimer> timer = nullptr);

    void SetFrameColours(const QColor& first, const QColor& second);
    // Stores the seconds and restarts the countdown (0 stops it).
    void SetAutoHide(int seconds);
    int AutoHide() const { return autoHideSeconds_; }
    bool CountingDown() const { return timer_->IsRunning(); }

    // Lays out, shows without activating and restarts the countdown.
    void ShowInactive();

    // The area inside the frame that holds the controls.
    QWidget* InnerArea() { return inner_; }

protected:
    // Places the controls and sizes the balloon; called on every show, size
    // change and new text.
    virtual void Layout() {}

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void RestartTimer();

    QWidget* inner_;  // owned by Qt as a child
    std::unique_ptr<PlPopupTimer> timer_;
    QColor firstFrame_ = kDefaultFrame;
    QColor secondFrame_ = kDefaultFrame;
    int autoHideSeconds_ = 0;
};
