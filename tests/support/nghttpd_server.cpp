#include "nghttpd_server.h"

#include "test_certificate.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>

#include <signal.h>
#include <sys/prctl.h>

NghttpdServer::NghttpdServer() {
    QDir(dir_.path()).mkdir(QStringLiteral("htdocs"));
}

NghttpdServer::~NghttpdServer() {
    process_.kill();
    process_.waitForFinished(5000);
}

bool NghttpdServer::start(QString* why) {
    const QString program = QStandardPaths::findExecutable(
        QStringLiteral("nghttpd"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")});
    if (program.isEmpty()) {
        *why = QStringLiteral("nghttpd is not installed (Debian package nghttp2-server)");
        return false;
    }
    QString key;
    QString certificate;
    if (!writeTestKeyAndCertificate(dir_.path(), &key, &certificate)) {
        *why = QStringLiteral("cannot write the test certificate");
        return false;
    }
    // A port that was free a moment ago; nghttpd cannot tell which one it
    // took when given none.
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        port_ = probe.serverPort();
    }
    process_.setProcessChannelMode(QProcess::MergedChannels);
    // However the test ends, the server ends with it.
    process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process_.start(program, {QStringLiteral("-v"), QStringLiteral("--address=127.0.0.1"),
                             QStringLiteral("--htdocs=") + dir_.path() + QStringLiteral("/htdocs"),
                             QString::number(port_), key, certificate});
    if (!process_.waitForStarted(5000)) {
        *why = QStringLiteral("nghttpd did not start: ") + process_.errorString();
        return false;
    }
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (process_.state() != QProcess::Running) {
            *why = QStringLiteral("nghttpd ended: ") + QString::fromLocal8Bit(process_.readAll());
            return false;
        }
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port_);
        if (socket.waitForConnected(200))
            return true;
        process_.waitForReadyRead(50);
    }
    *why = QStringLiteral("nghttpd did not take connections");
    return false;
}

bool NghttpdServer::setFile(const QString& name, const QByteArray& content) {
    QFile file(dir_.path() + QStringLiteral("/htdocs/") + name);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QString NghttpdServer::url(const QString& path) const {
    return QStringLiteral("https://127.0.0.1:%1%2").arg(port_).arg(path);
}

QSet<int> NghttpdServer::sessions() {
    log_ += process_.readAll();
    QSet<int> ids;
    static const QRegularExpression session(QStringLiteral("\\[id=(\\d+)\\]"));
    for (auto it = session.globalMatch(QString::fromLatin1(log_)); it.hasNext();)
        ids.insert(it.next().captured(1).toInt());
    ids.remove(1);
    return ids;
}
