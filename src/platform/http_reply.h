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
// the reader does not read, it holds about its read buffer size of body.
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
    QByteArray body_;  // decoded body not yet read
    QByteArray coded_; // body bytes on their way to the decoder
    QByteArray raw_;   // bytes just taken off the connection
    QByteArray tail_;  // what the connection still held when it closed
    int redirects_ = 0;
    bool closed_ = false;
    bool fresh_ = false; // body arrived that no readyRead has told of yet
    bool pumpQueued_ = false;
};
