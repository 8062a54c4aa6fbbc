#pragma once
// plTrayIcon: the program's icon in the notification area, on
// QSystemTrayIcon. It keeps a tip (cut to the 63 characters a tray tip
// field holds), a normal and an alternate icon, and blinks between them
// every 500 ms: a tick limit of 0 blinks on and on, LimitBlinking(n) ends it
// n ticks later. Mouse events on the icon are reported by one signal.
//
// User-interface thread only.

#include <QIcon>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>
#include <QTimer>

class plTrayIcon : public QObject {
    Q_OBJECT

public:
    static constexpr int kTipLimit = 63;
    static constexpr int kBlinkPeriodMs = 500;

    enum class Mouse { LeftClick, LeftDoubleClick, RightClick, MiddleClick };

    explicit plTrayIcon(QObject* parent = nullptr);

    // Shows or updates the icon; false when the desktop has no tray.
    bool Show();
    void Remove();
    bool IsShown() const { return shown_; }

    void SetTip(const QString& tip);
    void SetIcon(const QIcon& icon);
    void SetAlternateIcon(const QIcon& icon) { alternate_ = icon; }

    void StartBlinking();
    // Ends the blinking `ticks` ticks from now, unless an end is already set.
    void LimitBlinking(int ticks);
    bool IsBlinking() const { return blinking_; }
    // One blink tick: the timer calls it every 500 ms.
    void Tick();

    // What the tray shows now.
    QString DisplayedTip() const { return tray_.toolTip(); }
    bool ShowsAlternateIcon() const { return showingAlternate_; }

Q_SIGNALS:
    void MouseEvent(plTrayIcon::Mouse event);

private:
    void Display(bool alternate);

    QSystemTrayIcon tray_;
    QTimer timer_;
    QString tip_;
    QIcon normal_;
    QIcon alternate_;
    bool shown_ = false;
    bool blinking_ = false;
    bool showingAlternate_ = false;
    int ticks_ = 0;
    int limit_ = 0;
};
