#include "bench_registry.h"

#include <QApplication>
#include <QFile>
#include <QLoggingCategory>
#include <QStringList>

#include <cstdio>

std::vector<BenchEntry>& benchRegistry() {
    static std::vector<BenchEntry> entries;
    return entries;
}

double processMemoryMb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

// Runs every registered bench (or those named on the command line) and
// prints one "name: value" line per figure.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The event dispatcher the program itself runs on (see app/main.cpp).
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    // A line for each period end of a bench's thousands would bury the
    // figures; QT_LOGGING_RULES still brings them back.
    QLoggingCategory::setFilterRules(QStringLiteral("vigilo.*.info=false"));
    QApplication app(argc, argv);
    const QStringList wanted = app.arguments().mid(1);
    const BenchReport report = [](const QString& name, double value) {
        std::printf("%s: %.3f\n", qPrintable(name), value);
        std::fflush(stdout);
    };
    for (const BenchEntry& entry : benchRegistry())
        if (wanted.isEmpty() ? !entry.onlyWhenNamed
                             : wanted.contains(QString::fromLatin1(entry.name)))
            entry.run(report);
    report(QStringLiteral("peak_rss_mb"), processMemoryMb("VmHWM"));
    return 0;
}
