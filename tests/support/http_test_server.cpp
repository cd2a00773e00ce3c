#include "http_test_server.h"

#include <QHostAddress>
#include <QPointer>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>

namespace {

constexpr qint64 kSlice = 256 * 1024; // keeps the socket's write buffer small for big bodies
constexpr qsizetype kMaxRequest = 64 * 1024;

QByteArray reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 303:
        return "See Other";
    case 307:
        return "Temporary Redirect";
    case 308:
        return "Permanent Redirect";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

QByteArray head(int status, const QByteArray& extra, bool keepAlive = false) {
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason(status) +
           "\r\nContent-Type: text/html\r\nConnection: " + (keepAlive ? "keep-alive" : "close") +
           "\r\n" + extra + "\r\n";
}

QByteArray lengthHead(int status, qsizetype length, bool keepAlive = false) {
    return head(status, "Content-Length: " + QByteArray::number(length) + "\r\n", keepAlive);
}

} // namespace

// One accepted connection: reads one request, answers it as scripted, closes.
class HttpTestServer::Connection : public QObject {
public:
    Connection(HttpTestServer* owner, QTcpSocket* socket) : QObject(owner), socket_(socket) {
        socket_->setParent(this);
        connect(socket_, &QTcpSocket::readyRead, this, [this, owner] { onRead(owner); });
        connect(socket_, &QTcpSocket::bytesWritten, this, [this] { pump(); });
        connect(socket_, &QTcpSocket::disconnected, this, [this] { finish(); });
        ++owner->open_;
        owner_ = owner;
    }
    ~Connection() override {
        if (owner_)
            --owner_->open_;
    }

    void answer(const Script& script) {
        switch (script.mode) {
        case Mode::Body:
            keepAlive_ = script.keepAlive;
            sendThenClose(lengthHead(script.status, script.pieces.value(0).size(), keepAlive_),
                          script.pieces.value(0));
            break;
        case Mode::Raw:
            pieces_ = script.pieces;
            pauseMs_ = script.intervalMs;
            keepOpen_ = script.keepOpen;
            keepAlive_ = script.keepAlive;
            nextPiece();
            break;
        case Mode::Redirect:
            sendThenClose(
                head(script.status, "Location: " + script.location + "\r\nContent-Length: 0\r\n"),
                {});
            break;
        case Mode::Chunked: {
            QByteArray body;
            for (const QByteArray& chunk : script.pieces)
                body += QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n";
            body += "0\r\n\r\n";
            sendThenClose(head(200, "Transfer-Encoding: chunked\r\n"), body);
            break;
        }
        case Mode::Stall:
            break; // the request was read; no answer ever comes
        case Mode::Pieces: {
            qsizetype total = 0;
            for (const QByteArray& piece : script.pieces)
                total += piece.size();
            socket_->write(lengthHead(200, total));
            pieces_ = script.pieces;
            pauseMs_ = script.intervalMs;
            nextPiece();
            break;
        }
        case Mode::Trickle:
            socket_->write(lengthHead(200, script.pieces.value(0).size()));
            trickle(script.pieces.value(0), script.intervalMs);
            break;
        case Mode::CloseMid:
        case Mode::ResetMid: {
            const QByteArray& body = script.pieces.value(0);
            socket_->write(lengthHead(200, body.size()));
            body_ = body.left(script.afterBytes);
            reset_ = script.mode == Mode::ResetMid;
            afterAll_ = true;
            pump();
            break;
        }
        }
    }

    // Answered at least once, and waiting for the next request.
    bool idle() const { return served_ > 0 && !answered_; }
    void push(const QByteArray& bytes) {
        socket_->write(bytes);
        socket_->flush();
    }

private:
    void onRead(HttpTestServer* owner) {
        if (answered_) {
            socket_->readAll();
            return;
        }
        request_ += socket_->readAll();
        // Not HTTP (a TLS hello, say): answer in plain HTTP, as a web server
        // would, which the client cannot take for a handshake.
        if (!request_.isEmpty() && !(request_[0] >= 'A' && request_[0] <= 'Z')) {
            answered_ = true;
            sendThenClose(lengthHead(400, 0), {});
            return;
        }
        qsizetype end = request_.indexOf("\r\n\r\n");
        if (end < 0) {
            if (request_.size() > kMaxRequest)
                socket_->abort();
            return;
        }
        answered_ = true;
        ++served_;
        QByteArray headers = request_.left(end + 4);
        request_.remove(0, end + 4);
        QList<QByteArray> requestLine = headers.left(headers.indexOf("\r\n")).split(' ');
        owner->dispatch(this, requestLine.value(1), headers);
    }

    void sendThenClose(const QByteArray& header, const QByteArray& body) {
        socket_->write(header);
        body_ = body;
        afterAll_ = true;
        pump();
    }

    // Feeds the body in slices as the socket drains; closes once all is out.
    void pump() {
        while (offset_ < body_.size() && socket_->bytesToWrite() < kSlice) {
            qint64 n = std::min<qint64>(kSlice, body_.size() - offset_);
            socket_->write(body_.constData() + offset_, n);
            offset_ += n;
        }
        if (!afterAll_ || offset_ < body_.size() || socket_->bytesToWrite() > 0)
            return;
        afterAll_ = false;
        if (keepAlive_) {
            // Ready for the next request on the same connection.
            keepAlive_ = false;
            answered_ = false;
            body_.clear();
            offset_ = 0;
            if (owner_)
                QTimer::singleShot(0, this, [this] { onRead(owner_); });
            return;
        }
        if (reset_) {
            linger l{1, 0}; // closing with no linger time sends a reset
            ::setsockopt(static_cast<int>(socket_->socketDescriptor()), SOL_SOCKET, SO_LINGER, &l,
                         sizeof l);
            socket_->abort();
            deleteLater();
        } else {
            socket_->disconnectFromHost();
        }
    }

    void nextPiece() {
        if (pieces_.isEmpty()) {
            afterAll_ = !keepOpen_ || keepAlive_;
            pump();
            return;
        }
        socket_->write(pieces_.takeFirst());
        QTimer::singleShot(pauseMs_, this, [this] { nextPiece(); });
    }

    void trickle(const QByteArray& body, int intervalMs) {
        auto* timer = new QTimer(this);
        timer->setInterval(intervalMs);
        connect(timer, &QTimer::timeout, this, [this, body, timer] {
            if (offset_ >= body.size()) {
                timer->stop();
                afterAll_ = true;
                pump();
                return;
            }
            socket_->write(body.constData() + offset_, 1);
            ++offset_;
        });
        timer->start();
    }

    void finish() {
        socket_->disconnect(this);
        deleteLater();
    }

    QPointer<HttpTestServer> owner_;
    QTcpSocket* socket_;
    QByteArray request_;
    bool answered_ = false;
    int served_ = 0;
    QByteArray body_;
    qsizetype offset_ = 0;
    bool afterAll_ = false;
    bool reset_ = false;
    QList<QByteArray> pieces_;
    int pauseMs_ = 0;
    bool keepOpen_ = false;
    bool keepAlive_ = false;
};

HttpTestServer::HttpTestServer(QObject* parent) : QObject(parent), server_(new QTcpServer(this)) {
    listen();
}

HttpTestServer::HttpTestServer(const QSslConfiguration& tls, QObject* parent)
    : QObject(parent), tls_(true) {
    auto* server = new QSslServer(this);
    server->setSslConfiguration(tls);
    server_ = server;
    listen();
}

void HttpTestServer::listen() {
    server_->setMaxPendingConnections(1000);
    server_->listen(QHostAddress::LocalHost, 0);
    connect(server_, &QTcpServer::newConnection, this, &HttpTestServer::onNewConnection);
    // A TLS connection is pending only once its handshake is over.
    connect(server_, &QTcpServer::pendingConnectionAvailable, this,
            &HttpTestServer::onNewConnection);
}

HttpTestServer::~HttpTestServer() = default;

quint16 HttpTestServer::port() const {
    return server_->serverPort();
}

QString HttpTestServer::url(const QString& path) const {
    return QStringLiteral("%1://127.0.0.1:%2%3")
        .arg(tls_ ? QStringLiteral("https") : QStringLiteral("http"))
        .arg(port())
        .arg(path);
}

void HttpTestServer::setBody(const QString& path, const QByteArray& body, int status) {
    Script s;
    s.status = status;
    s.pieces = {body};
    scripts_[path] = s;
}

void HttpTestServer::setKeptAlive(const QString& path, const QByteArray& body) {
    setBody(path, body);
    scripts_[path].keepAlive = true;
}

void HttpTestServer::setPieces(const QString& path, const QList<QByteArray>& pieces, int pauseMs) {
    Script s;
    s.mode = Mode::Pieces;
    s.pieces = pieces;
    s.intervalMs = pauseMs;
    scripts_[path] = s;
}

void HttpTestServer::setStall(const QString& path) {
    Script s;
    s.mode = Mode::Stall;
    scripts_[path] = s;
}

void HttpTestServer::setTrickle(const QString& path, const QByteArray& body, int intervalMs) {
    Script s;
    s.mode = Mode::Trickle;
    s.pieces = {body};
    s.intervalMs = intervalMs;
    scripts_[path] = s;
}

void HttpTestServer::setCloseMidBody(const QString& path, const QByteArray& body, int afterBytes) {
    Script s;
    s.mode = Mode::CloseMid;
    s.pieces = {body};
    s.afterBytes = afterBytes;
    scripts_[path] = s;
}

void HttpTestServer::setResetMidBody(const QString& path, const QByteArray& body, int afterBytes) {
    Script s;
    s.mode = Mode::ResetMid;
    s.pieces = {body};
    s.afterBytes = afterBytes;
    scripts_[path] = s;
}

void HttpTestServer::setRedirect(const QString& path, const QString& location, int status) {
    Script s;
    s.mode = Mode::Redirect;
    s.status = status;
    s.location = location.toUtf8();
    scripts_[path] = s;
}

void HttpTestServer::setChunked(const QString& path, const QList<QByteArray>& chunks) {
    Script s;
    s.mode = Mode::Chunked;
    s.pieces = chunks;
    scripts_[path] = s;
}

void HttpTestServer::setRaw(const QString& path, const QByteArray& response) {
    setRawPieces(path, {response}, 0);
}

void HttpTestServer::setRawPieces(const QString& path, const QList<QByteArray>& pieces, int pauseMs,
                                  bool keepOpen) {
    Script s;
    s.mode = Mode::Raw;
    s.pieces = pieces;
    s.intervalMs = pauseMs;
    s.keepOpen = keepOpen;
    scripts_[path] = s;
}

void HttpTestServer::setKeptAliveRaw(const QString& path, const QByteArray& response) {
    setRaw(path, response);
    scripts_[path].keepAlive = true;
}

int HttpTestServer::sendToIdleConnections(const QByteArray& bytes) {
    int sent = 0;
    for (QObject* child : children()) {
        if (auto* connection = dynamic_cast<Connection*>(child); connection && connection->idle()) {
            connection->push(bytes);
            ++sent;
        }
    }
    return sent;
}

int HttpTestServer::requestCount(const QString& path) const {
    return counts_.value(path);
}

QByteArray HttpTestServer::lastRequestHeaders(const QString& path) const {
    return lastHeaders_.value(path);
}

int HttpTestServer::openConnections() const {
    return open_;
}

void HttpTestServer::onNewConnection() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        new Connection(this, socket);
        ++accepted_;
    }
}

void HttpTestServer::dispatch(Connection* connection, const QByteArray& target,
                              const QByteArray& headers) {
    QString path = QString::fromLatin1(target);
    if (!scripts_.contains(path))
        path = path.section(QLatin1Char('?'), 0, 0);
    counts_[path] += 1;
    lastHeaders_[path] = headers;
    auto it = scripts_.constFind(path);
    if (it == scripts_.constEnd()) {
        Script notFound;
        notFound.status = 404;
        notFound.pieces = {"<html><body>Not Found</body></html>"};
        connection->answer(notFound);
        return;
    }
    connection->answer(*it);
}
