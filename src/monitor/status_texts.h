#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <optional>

// What the status line says between reads, one line each, with times in the
// desktop's clock format (a day other than today's is named too).
namespace statustexts {

// How a period end in single mode went.
struct Check {
    QDateTime at;
    bool read = false;    // the page came; else `error` says why
    bool changed = false; // a REAL site update
    qint64 length = 0;    // the page's length in characters
    QString error;
    std::optional<QDateTime> lastChange;
    std::optional<QDateTime> next; // none once the monitor stopped
};

QString check(const Check& c, const QLocale& locale = QLocale());
// A period end that showed an entry of the random list.
QString pick(const QString& address, const QDateTime& at, const std::optional<QDateTime>& next,
             const QLocale& locale = QLocale());
QString started(const QDateTime& now, const QDateTime& firstCheck,
                const QLocale& locale = QLocale());
QString stopped();

// A moment as the clock shows it, seconds included, relative to `now`.
QString moment(const QDateTime& at, const QDateTime& now, const QLocale& locale = QLocale());

} // namespace statustexts
