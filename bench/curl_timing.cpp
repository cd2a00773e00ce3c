#include "curl_timing.h"

#include <QEventLoop>
#include <QProcess>

double curlMs(const QString& url) {
    QProcess curl;
    QEventLoop loop;
    QObject::connect(&curl, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&curl, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    curl.start(QStringLiteral("curl"),
               {QStringLiteral("-s"), QStringLiteral("-o"), QStringLiteral("/dev/null"),
                QStringLiteral("-w"), QStringLiteral("%{time_total}"), url});
    loop.exec();
    if (curl.exitStatus() != QProcess::NormalExit || curl.exitCode() != 0)
        return -1;
    return curl.readAllStandardOutput().trimmed().toDouble() * 1000.0;
}
