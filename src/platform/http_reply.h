#pragma once

#include "platform/content_decoder.h"
#include "platform/http_response_reader.h"

#include <QAbstractSocket>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QPointer>

#include <memory>

class QNetworkCookieJar;
class QTcpSocket;

// A GET over HTTP/1.1 that reads the answer's framing itself, so that a body
// that does not end as its framing says, or cannot be decoded, is a failure
// rather than the page (Qt's own stack takes a broken chunk size for the end
// of the body, and a cut gzip stream for a whole one). It follows redirects
// as the request's policy allows, keeps cookies in the given jar, goes
// through the system's proxy, and never ignores a certificate error. While
// the reader does not read, it holds about its read buffer size of body. A
// body with no content coding is read straight off the connection into the
// reader's buffer.
class HttpReply : public QNetworkReply {
    Q_OBJECT
public:
    HttpReply(const QNetworkRequest& request, QNetworkCookieJar* cookies,
              QObject* parent = nullptr);
    ~HttpReply() override;

    void abort() override;
    qint64 bytesAvailable() const override;
    void setReadBufferSize(qint64 size) override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;

private:
    void connectTo(const QUrl& target);
    void sendRequest();
    void schedulePump();
    void pump();
    QByteArrayView nextRaw(qsizetype most);
    bool take(QByteArrayView raw);
    bool plainRun() const;
    bool frameInline();
    qsizetype heldBytes() const { return body_.size() - bodyAt_; }
    void compactBody();
    void batchRefills();
    void framingFailed();
    bool headIn();
    void socketFailed(QAbstractSocket::SocketError error);
    void peerClosed();
    void announce();
    void end(NetworkError error, const QString& text);
    void dropSocket();

    QPointer<QNetworkCookieJar> cookies_;
    QTcpSocket* socket_ = nullptr;
    QNetworkProxy proxy_; // the HTTP proxy a plain request is sent to, if any
    bool viaProxy_ = false;
    HttpResponseReader reader_;
    std::unique_ptr<ContentDecoder> decoder_;
    // The body taken off the connection and not yet read: bytes from bodyAt_
    // on. A plain body mostly stays on the connection until it is read.
    QByteArray body_;
    qsizetype bodyAt_ = 0;
    QByteArray coded_; // body bytes on their way to the decoder
    QByteArray raw_;   // bytes just taken off the connection
    int redirects_ = 0;
    bool closed_ = false;
    bool fresh_ = false; // body arrived that no readyRead has told of yet
    bool pumpQueued_ = false;
    bool taking_ = false; // bytes off the connection are on their way through the framing
};
