#pragma once
// PlPopupTimer: the countdown after which a popup hides itself. The popup
// starts it from the full time when it is shown, when its time is set and
// when it loses activation, and stops it while it is active. Tests put a
// fake in place of the QTimer one.

#include <QTimer>
#include <functional>

class PlPopupTimer {
public:
    virtual ~PlPopupTimer() = default;
    // Calls `expired` once `ms` milliseconds from now (restarts a running one).
    virtual void Start(int ms) = 0;
    virtual void Stop() = 0;
    virtual bool IsRunning() const = 0;
    void SetExpired(std::function<void()> expired) { expired_ = std::move(expired); }

protected:
    void Expire()
    {
        if (expired_)
            expired_();
    }

private:
    std::function<void()> expired_;
};

class PlQtPopupTimer : public PlPopupTimer {
public:
    PlQtPopupTimer()
    {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Expire(); });
    }
    void Start(int ms) override { timer_.start(ms); }
    void Stop() override { timer_.stop(); }
    bool IsRunning() const override { return timer_.isActive(); }

private:
    QTimer timer_;
};
