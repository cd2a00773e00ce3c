#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// One row of the interval box: the timer never ticks slower than once a
// minute, so longer periods count minutes down between period ends.
struct IntervalRow {
    const char* caption;
    int timerMs;
    std::int32_t reloadTicks;
};

// Every row's caption, in the order the interval box lists them.
QStringList intervalCaptions();
// The row whose caption equals `caption` exactly, case included.
std::optional<IntervalRow> findInterval(const QString& caption);
