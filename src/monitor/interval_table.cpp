#include "monitor/interval_table.h"

#include <array>

namespace {

constexpr std::array<IntervalRow, 9> kRows{{
    {"10 sec", 10000, 0},
    {"30 sec", 30000, 0},
    {"1 min", 60000, 0},
    {"5 min", 60000, 5},
    {"10 min", 60000, 10},
    {"30 min", 60000, 30},
    {"1 hour", 60000, 60},
    {"2 hour", 60000, 120},
    {"3 hour", 60000, 180},
}};

} // namespace

QStringList intervalCaptions() {
    QStringList captions;
    for (const IntervalRow& row : kRows)
        captions.append(QString::fromLatin1(row.caption));
    return captions;
}

std::optional<IntervalRow> findInterval(const QString& caption) {
    for (const IntervalRow& row : kRows)
        if (caption == QLatin1String(row.caption))
            return row;
    return std::nullopt;
}
