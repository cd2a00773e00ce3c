#include "debugged_program.h"

#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTcpServer>

#include <utility>

DebuggedProgram::DebuggedProgram(QProcessEnvironment environment, QObject* parent)
    : QObject(parent), environment_(std::move(environment)) {
    process_.setProcessChannelMode(QProcess::MergedChannels);
    connect(&process_, &QProcess::readyRead, this, [this] { output_ += process_.readAll(); });
}

DebuggedProgram::~DebuggedProgram() {
    if (pending_)
        pending_->abort();
    stop(30000);
}

bool DebuggedProgram::start(const QString& program, const QStringList& arguments,
                            const QString& workingDirectory) {
    {
        // A free port: the engine opens it once the probe has let it go.
        QTcpServer probe;
        if (!probe.listen(QHostAddress::LocalHost))
            return false;
        port_ = probe.serverPort();
    }
    QProcessEnvironment env = environment_;
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // The engine's start-up lines tell that it started; the program keeps
    // them quiet unless asked.
    env.insert(QStringLiteral("QT_LOGGING_RULES"),
               QStringLiteral("qt.webenginecontext.debug=true;qt.webenginecontext.info=true"));
    env.insert(QStringLiteral("QTWEBENGINE_REMOTE_DEBUGGING"),
               QStringLiteral("127.0.0.1:") + QString::number(port_));
    process_.setProcessEnvironment(env);
    process_.setWorkingDirectory(workingDirectory);
    process_.start(program, arguments);
    return process_.waitForStarted();
}

bool DebuggedProgram::engineStarted() const {
    return output_.contains("GL Type") || output_.contains("GLImplementation");
}

bool DebuggedProgram::shows(const QUrl& page, const QString& title) {
    if (shown_ || (pending_ && !pending_->isFinished()))
        return shown_;
    if (pending_) {
        answer_ = pending_->readAll();
        pending_->deleteLater();
        pending_ = nullptr;
        const QJsonArray pages = QJsonDocument::fromJson(answer_).array();
        for (const QJsonValue& p : pages) {
            const QJsonObject o = p.toObject();
            if (QUrl(o.value(QStringLiteral("url")).toString()) == page &&
                o.value(QStringLiteral("title")).toString() == title)
                shown_ = true;
        }
    }
    if (!shown_)
        pending_ =
            net_.get(QNetworkRequest(QUrl(QStringLiteral("http://127.0.0.1:%1/json").arg(port_))));
    return shown_;
}

bool DebuggedProgram::stop(int timeoutMs) {
    if (process_.state() == QProcess::NotRunning)
        return true;
    process_.terminate();
    return process_.waitForFinished(timeoutMs);
}
