#include "monitor/status_texts.h"

namespace statustexts {

namespace {

// The desktop's short clock format, with seconds: at "10 sec" a check a
// minute long would read the same six times.
QString clockFormat(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1Char('s'))) {
        const qsizetype minutes = format.lastIndexOf(QLatin1Char('m'));
        if (minutes >= 0)
            format.insert(minutes + 1, QStringLiteral(":ss"));
    }
    return format;
}

QString nextPart(const char* what, const std::optional<QDateTime>& next, const QDateTime& now,
                 const QLocale& locale) {
    if (!next)
        return {};
    return QStringLiteral(" %1 %2.").arg(QLatin1String(what), moment(*next, now, locale));
}

} // namespace

QString moment(const QDateTime& at, const QDateTime& now, const QLocale& locale) {
    const QString time = locale.toString(at.time(), clockFormat(locale));
    if (at.date() == now.date())
        return time;
    return locale.toString(at.date(), QLocale::ShortFormat) + QLatin1Char(' ') + time;
}

QString check(const Check& c, const QLocale& locale) {
    QString text = QStringLiteral("Checked at %1: ").arg(moment(c.at, c.at, locale));
    if (c.read)
        text +=
            QStringLiteral("%1 (%2 characters).")
                .arg(c.changed ? QStringLiteral("a REAL site update") : QStringLiteral("no change"))
                .arg(c.length);
    else
        text += QStringLiteral("Error: ") + c.error.trimmed() +
                (c.error.trimmed().endsWith(QLatin1Char('.')) ? QString() : QStringLiteral("."));
    text += c.lastChange
                ? QStringLiteral(" Last change %1.").arg(moment(*c.lastChange, c.at, locale))
                : QStringLiteral(" No change seen yet.");
    return text + nextPart("Next check", c.next, c.at, locale);
}

QString pick(const QString& address, const QDateTime& at, const std::optional<QDateTime>& next,
             const QLocale& locale) {
    return QStringLiteral("Showing %1 since %2.").arg(address, moment(at, at, locale)) +
           nextPart("Next pick", next, at, locale);
}

QString started(const QDateTime& now, const QDateTime& firstCheck, const QLocale& locale) {
    return QStringLiteral("Started: the first check comes at %1.")
        .arg(moment(firstCheck, now, locale));
}

QString stopped() {
    return QStringLiteral("Stopped");
}

} // namespace statustexts
