#include "platform/desktop/pl_tray_icon.h"

plTrayIcon::plTrayIcon(QObject* parent) : QObject(parent)
{
    timer_.setInterval(kBlinkPeriodMs);
    connect(&timer_, &QTimer::timeout, this, &plTrayIcon::Tick);
    connect(&tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        switch (reason) {
        case QSystemTrayIcon::Trigger: Q_EMIT MouseEvent(Mouse::LeftClick); break;
        case QSystemTrayIcon::DoubleClick: Q_EMIT MouseEvent(Mouse::LeftDoubleClick); break;
        case QSystemTrayIcon::Context: Q_EMIT MouseEvent(Mouse::RightClick); break;
        case QSystemTrayIcon::MiddleClick: Q_EMIT MouseEvent(Mouse::MiddleClick); break;
        default: break;
        }
    });
}

bool plTrayIcon::Show()
{
    Display(blinking_ && showingAlternate_);
    tray_.show();
    shown_ = true;
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void plTrayIcon::Remove()
{
    tray_.hide();
    shown_ = false;
}

void plTrayIcon::SetTip(const QString& tip)
{
    tip_ = tip.left(kTipLimit);
    if (shown_ && !blinking_)
        Display(false);
}

void plTrayIcon::SetIcon(const QIcon& icon)
{
    normal_ = icon;
    if (shown_ && !blinking_)
        Display(false);
}

void plTrayIcon::StartBlinking()
{
    ticks_ = 0;
    limit_ = 0;
    blinking_ = true;
    timer_.start();
}

void plTrayIcon::LimitBlinking(int ticks)
{
    if (limit_ != 0)
        return;
    ticks_ = 0;
    limit_ = ticks;
}

void plTrayIcon::Tick()
{
    ++ticks_;
    if (limit_ > 0 && ticks_ > limit_) {
        timer_.stop();
        blinking_ = false;
        Display(false);
        return;
    }
    Display(ticks_ % 2 == 0);
}

void plTrayIcon::Display(bool alternate)
{
    showingAlternate_ = alternate;
    tray_.setIcon(alternate ? alternate_ : normal_);
    tray_.setToolTip(tip_);
}
