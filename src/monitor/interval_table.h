#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// One row of the interval box: the timer never ticks slower than once a
// minute, so longer periods count minutes down between period ends.
struct IntervalRow {
    const char* caption;
    int timerMs;
    std::int32_t reloadTicks;
};

// The row whose caption equals `caption` exactly, case included.
std::optional<IntervalRow> findInterval(const QString& caption);
