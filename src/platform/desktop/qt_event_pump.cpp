#include "platform/desktop/qt_event_pump.h"

#include <QCoreApplication>

#include <utility>

QtEventPump::QtEventPump(std::chrono::nanoseconds spacing, Clock clock)
    : spacing_(spacing), clock_(std::move(clock)) {
    if (!clock_)
        clock_ = [] { return std::chrono::steady_clock::now().time_since_epoch(); };
}

void QtEventPump::processEvents() {
    const std::chrono::nanoseconds now = clock_();
    if (lastRound_ && now - *lastRound_ < spacing_)
        return;
    QCoreApplication::processEvents();
    // Counted from the round's end: events it ran may take long themselves.
    lastRound_ = clock_();
}
