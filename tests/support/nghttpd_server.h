#pragma once

#include <QByteArray>
#include <QProcess>
#include <QSet>
#include <QString>
#include <QTemporaryDir>

// Debian's nghttpd, an HTTP/2-only server, over TLS with the test certificate
// on 127.0.0.1, serving the files put into its folder. It logs its frames, so
// a test can tell how many connections it was asked over.
class NghttpdServer {
public:
    NghttpdServer();
    ~NghttpdServer();
    NghttpdServer(const NghttpdServer&) = delete;
    NghttpdServer& operator=(const NghttpdServer&) = delete;

    // Starts it and waits until it takes connections; false with the reason
    // in `why` when it cannot.
    bool start(QString* why);
    bool setFile(const QString& name, const QByteArray& content);
    QString url(const QString& path) const;
    // The connections it has seen since it took the first (its own probe).
    QSet<int> sessions();

private:
    QTemporaryDir dir_;
    QProcess process_;
    QByteArray log_;
    quint16 port_ = 0;
};
