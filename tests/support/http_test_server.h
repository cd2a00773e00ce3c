#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

class QSslConfiguration;
class QTcpServer;
class QTcpSocket;

// A loopback HTTP/1.1 server that a test scripts per path. Every answer closes
// its connection afterwards, but for those set with setKeptAlive and
// setKeptAliveRaw. Everything runs on the caller's event loop, so waiting for
// a client inside the same thread keeps it serving.
class HttpTestServer : public QObject {
    Q_OBJECT
public:
    explicit HttpTestServer(QObject* parent = nullptr); // listens at once
    // The same server over TLS, with the certificate and key given.
    explicit HttpTestServer(const QSslConfiguration& tls, QObject* parent = nullptr);
    ~HttpTestServer() override;

    quint16 port() const;
    QString url(const QString& path) const; // "http(s)://127.0.0.1:<port><path>"

    void setBody(const QString& path, const QByteArray& body, int status = 200);
    // The body by its length, the connection kept open for further requests.
    void setKeptAlive(const QString& path, const QByteArray& body);
    void setPieces(const QString& path, const QList<QByteArray>& pieces, int pauseMs);
    void setStall(const QString& path);
    void setTrickle(const QString& path, const QByteArray& body, int intervalMs);
    void setCloseMidBody(const QString& path, const QByteArray& body, int afterBytes);
    void setResetMidBody(const QString& path, const QByteArray& body, int afterBytes);
    void setRedirect(const QString& path, const QString& location, int status = 302);
    void setChunked(const QString& path, const QList<QByteArray>& chunks);
    // Sends exactly these bytes as the whole answer, then closes.
    void setRaw(const QString& path, const QByteArray& response);
    // A hand-written answer sent piece by piece, `pauseMs` apart; afterwards
    // the connection is closed, or left open when `keepOpen`.
    void setRawPieces(const QString& path, const QList<QByteArray>& pieces, int pauseMs,
                      bool keepOpen = false);
    // Sends exactly these bytes, then reads the next request on the same
    // connection.
    void setKeptAliveRaw(const QString& path, const QByteArray& response);
    // Sends `bytes` at once down every connection that answered and waits
    // for its next request; tells how many there were.
    int sendToIdleConnections(const QByteArray& bytes);

    int requestCount(const QString& path) const;
    QByteArray lastRequestHeaders(const QString& path) const;
    // Connections accepted but not yet closed, and accepted in all.
    int openConnections() const;
    int acceptedConnections() const { return accepted_; }

    enum class Mode { Body, Pieces, Stall, Trickle, CloseMid, ResetMid, Redirect, Chunked, Raw };
    struct Script {
        Mode mode = Mode::Body;
        int status = 200;
        QList<QByteArray> pieces; // the body, whole or in parts
        int intervalMs = 0;
        int afterBytes = 0;
        QByteArray location;
        bool keepOpen = false;
        bool keepAlive = false;
    };

private:
    class Connection;
    void listen();
    void onNewConnection();
    void dispatch(Connection* connection, const QByteArray& target, const QByteArray& headers);

    QTcpServer* server_ = nullptr;
    bool tls_ = false;
    QHash<QString, Script> scripts_;
    QHash<QString, int> counts_;
    QHash<QString, QByteArray> lastHeaders_;
    int open_ = 0;
    int accepted_ = 0;
};
