#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QUrl>

class QNetworkReply;

// A real executable started offscreen with its web engine's remote debugging
// port open, so that a test sees from outside which pages its browser pane
// shows. Nothing here blocks: tests poll with QTRY_*.
class DebuggedProgram : public QObject {
    Q_OBJECT
public:
    // The program's environment; offscreen, the port and the engine's start-up
    // report are added to it.
    explicit DebuggedProgram(QProcessEnvironment environment, QObject* parent = nullptr);
    ~DebuggedProgram() override; // ends the program if it still runs

    bool start(const QString& program, const QStringList& arguments,
               const QString& workingDirectory);
    // The engine has reported its graphics set-up: it is up.
    bool engineStarted() const;
    // Asks the engine for its pages (one request at a time) and is true once a
    // page with this address and title is among them; the title only shows
    // once the page has loaded.
    bool shows(const QUrl& page, const QString& title);
    bool stop(int timeoutMs);

    QProcess& process() { return process_; }
    const QByteArray& output() const { return output_; }
    const QByteArray& lastAnswer() const { return answer_; }

private:
    QProcessEnvironment environment_;
    QProcess process_;
    QByteArray output_;
    QNetworkAccessManager net_;
    QNetworkReply* pending_ = nullptr;
    QByteArray answer_;
    quint16 port_ = 0;
    bool shown_ = false;
};
