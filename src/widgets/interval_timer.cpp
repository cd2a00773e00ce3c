#include "widgets/interval_timer.h"

IntervalTimer::IntervalTimer(QObject* parent) : QObject(parent) {
    timer_.setTimerType(Qt::CoarseTimer);
    connect(&timer_, &QTimer::timeout, this, &IntervalTimer::timeout);
}

void IntervalTimer::setEnabled(bool enabled) {
    enabled_ = enabled;
    apply();
}

void IntervalTimer::setInterval(int milliseconds) {
    interval_ = milliseconds;
    apply();
}

// Setting either property restarts the count from zero, as a change of the
// interval of a running timer does on the platform the window was made for.
void IntervalTimer::apply() {
    if (enabled_ && interval_ > 0)
        timer_.start(interval_);
    else
        timer_.stop();
}
