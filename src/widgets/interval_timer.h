#pragma once

#include <QObject>
#include <QTimer>

// A timer with the two properties the window works with, Enabled and Interval.
// Unlike a bare QTimer, it never ticks while disabled or at interval 0.
class IntervalTimer : public QObject {
    Q_OBJECT
public:
    explicit IntervalTimer(QObject* parent = nullptr);

    bool enabled() const { return enabled_; }
    int interval() const { return interval_; }
    void setEnabled(bool enabled);
    void setInterval(int milliseconds);
    bool isTicking() const { return timer_.isActive(); }

signals:
    void timeout();

private:
    void apply();

    QTimer timer_;
    bool enabled_ = false;
    int interval_ = 0;
};
