#include "platform/http_reply.h"

#include <QLocale>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkProxyFactory>
#include <QScopedValueRollback>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpSocket>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr qsizetype kSlice = 64 * 1024;      // coded bytes taken off the connection at a time
constexpr qint64 kSocketBuffer = 512 * 1024; // what the socket may hold unread
// A socket whose buffer is kept full reads the connection again for every
// few bytes taken from it, one system call each time. It refills only once
// it holds less than this, and then as much as it may.
constexpr qint64 kSocketRefill = kSocketBuffer / 2;
// Framing of a plain body is read in small slices: the body bytes that come
// with it take a detour through body_, the rest goes straight to the reader.
constexpr qsizetype kFramingSlice = 1024;

bool isHttp(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

bool isTls(const QUrl& url) {
    return url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

bool isRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 305 || status == 307 ||
           status == 308;
}

bool sameOrigin(const QUrl& a, const QUrl& b) {
    const int portA = a.port(isTls(a) ? 443 : 80);
    const int portB = b.port(isTls(b) ? 443 : 80);
    return a.scheme().compare(b.scheme(), Qt::CaseInsensitive) == 0 &&
           a.host().compare(b.host(), Qt::CaseInsensitive) == 0 && portA == portB;
}

bool safeHeaderText(const QByteArray& text) {
    return !text.contains('\r') && !text.contains('\n') && !text.contains('\0');
}

// The language list Qt's own HTTP stack sends.
QByteArray acceptLanguage() {
    QString name = QLocale::system().name().replace(QLatin1Char('_'), QLatin1Char('-'));
    if (name == QLatin1String("C"))
        return "en,*";
    if (!name.startsWith(QLatin1String("en-")))
        return (name + QLatin1String(",en,*")).toLatin1();
    return (name + QLatin1String(",*")).toLatin1();
}

QByteArray hostField(const QUrl& url) {
    QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':'))
        host = '[' + host + ']';
    if (url.port() != -1 && url.port() != (isTls(url) ? 443 : 80))
        host += ':' + QByteArray::number(url.port());
    return host;
}

QByteArray basicCredentials(const QString& user, const QString& password) {
    return "Basic " + (user + QLatin1Char(':') + password).toUtf8().toBase64();
}

QNetworkReply::NetworkError replyError(QAbstractSocket::SocketError error) {
    using S = QAbstractSocket;
    using R = QNetworkReply;
    switch (error) {
    case S::ConnectionRefusedError:
        return R::ConnectionRefusedError;
    case S::RemoteHostClosedError:
        return R::RemoteHostClosedError;
    case S::HostNotFoundError:
        return R::HostNotFoundError;
    case S::SocketTimeoutError:
        return R::TimeoutError;
    case S::SslHandshakeFailedError:
    case S::SslInternalError:
    case S::SslInvalidUserDataError:
        return R::SslHandshakeFailedError;
    case S::ProxyAuthenticationRequiredError:
        return R::ProxyAuthenticationRequiredError;
    case S::ProxyConnectionRefusedError:
        return R::ProxyConnectionRefusedError;
    case S::ProxyConnectionClosedError:
    case S::ProxyProtocolError:
        return R::ProxyConnectionClosedError;
    case S::ProxyConnectionTimeoutError:
        return R::ProxyTimeoutError;
    case S::ProxyNotFoundError:
        return R::ProxyNotFoundError;
    default:
        return R::UnknownNetworkError;
    }
}

} // namespace

HttpReply::HttpReply(const QNetworkRequest& request, QNetworkCookieJar* cookies, QObject* parent)
    : QNetworkReply(parent), cookies_(cookies) {
    setRequest(request);
    setUrl(request.url());
    setOperation(QNetworkAccessManager::GetOperation);
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    // Started from the event loop, so the caller can connect to the signals first.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!isFinished()) // not aborted meanwhile
                connectTo(url());
        },
        Qt::QueuedConnection);
}

HttpReply::~HttpReply() {
    // The socket goes with this object; none of its last signals may reach here.
    if (socket_)
        socket_->disconnect(this);
}

qint64 HttpReply::bytesAvailable() const {
    qint64 n = heldBytes();
    if (plainRun()) {
        // The plain body on the connection is as good as held here, up to the
        // read buffer's bound.
        const qint64 limit =
            readBufferSize() > 0 ? readBufferSize() : std::numeric_limits<qint64>::max();
        n += std::min(
            {socket_->bytesAvailable(), reader_.plainBodyAhead(), std::max<qint64>(0, limit - n)});
    }
    return n + QNetworkReply::bytesAvailable();
}

void HttpReply::setReadBufferSize(qint64 size) {
    QNetworkReply::setReadBufferSize(size);
    schedulePump();
}

qint64 HttpReply::readData(char* data, qint64 maxSize) {
    qint64 n = 0;
    for (;;) {
        while (heldBytes() == 0 && frameInline()) {
        }
        if (n >= maxSize)
            break;
        if (const qsizetype held = heldBytes(); held > 0) {
            const qsizetype m = static_cast<qsizetype>(std::min<qint64>(maxSize - n, held));
            std::memcpy(data + n, body_.constData() + bodyAt_, static_cast<size_t>(m));
            n += m;
            bodyAt_ += m;
            if (bodyAt_ == body_.size()) {
                body_.resize(0); // keeps its room for the next bytes
                bodyAt_ = 0;
            }
        } else if (plainRun()) {
            const qint64 m =
                socket_->read(data + n, std::min(maxSize - n, reader_.plainBodyAhead()));
            if (m <= 0)
                break;
            reader_.bodyTaken(m);
            n += m;
            batchRefills();
        } else {
            break;
        }
    }
    // The pump has nothing to do while a plain body runs on, unless its end
    // must be told.
    if (!plainRun() || (closed_ && socket_->bytesAvailable() <= 0))
        schedulePump();
    if (n <= 0)
        return isFinished() ? -1 : 0;
    return n;
}

// Body bytes on the connection can go to the reader as they stand.
bool HttpReply::plainRun() const {
    return socket_ && !decoder_ && !taking_ && !isFinished() && reader_.plainBodyAhead() > 0;
}

// Reads the framing between two runs of a plain body (a chunk's line end and
// the next size line) on the spot, so that the next run is available at once
// rather than after a round of the event loop. Ending the reply, on success
// or failure, is left to the pump. True when it took bytes and more framing
// may follow.
bool HttpReply::frameInline() {
    if (!socket_ || decoder_ || taking_ || isFinished() ||
        reader_.state() != HttpResponseReader::State::Body || reader_.plainBodyAhead() > 0 ||
        socket_->bytesAvailable() <= 0)
        return false;
    QByteArrayView raw = nextRaw(kFramingSlice);
    if (raw.isEmpty())
        return false;
    compactBody();
    while (!raw.isEmpty() && reader_.state() == HttpResponseReader::State::Body)
        raw = raw.sliced(reader_.feed(raw, body_));
    return reader_.state() == HttpResponseReader::State::Body;
}

// While the socket holds plenty, its bound is what it holds, so it reads no
// more; once it runs low, the full bound lets it read a large batch at once.
void HttpReply::batchRefills() {
    const qint64 held = socket_->bytesAvailable();
    socket_->setReadBufferSize(held >= kSocketRefill ? held : kSocketBuffer);
}

// Moves the unread body to the front once the read part outweighs it, so
// that appending reuses the room instead of regrowing the buffer.
void HttpReply::compactBody() {
    const qsizetype held = heldBytes();
    if (bodyAt_ == 0 || held > bodyAt_)
        return;
    std::memmove(body_.data(), body_.constData() + bodyAt_, static_cast<size_t>(held));
    body_.resize(held);
    bodyAt_ = 0;
}

void HttpReply::abort() {
    end(OperationCanceledError, tr("Operation canceled"));
}

void HttpReply::dropSocket() {
    if (QTcpSocket* socket = std::exchange(socket_, nullptr)) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
}

void HttpReply::connectTo(const QUrl& target) {
    dropSocket();
    reader_ = HttpResponseReader();
    decoder_.reset();
    body_.clear();
    bodyAt_ = 0;
    coded_.clear();
    closed_ = false;
    viaProxy_ = false;
    setUrl(target);
    if (!isHttp(target) || target.host().isEmpty())
        return end(ProtocolUnknownError, tr("Protocol \"%1\" is unknown").arg(target.scheme()));

    const bool tls = isTls(target);
    QTcpSocket* socket = nullptr;
    if (tls) {
        if (!QSslSocket::supportsSsl())
            return end(SslHandshakeFailedError, tr("TLS is not available"));
        auto* ssl = new QSslSocket(this);
        QSslConfiguration configuration = request().sslConfiguration();
        configuration.setAllowedNextProtocols({QSslConfiguration::NextProtocolHttp1_1});
        ssl->setSslConfiguration(configuration);
        connect(ssl, &QSslSocket::encrypted, this, &HttpReply::sendRequest);
        // Recorded by whoever listens, never ignored: the handshake then fails.
        connect(ssl, &QSslSocket::sslErrors, this,
                [this](const QList<QSslError>& errors) { emit sslErrors(errors); });
        socket = ssl;
    } else {
        socket = new QTcpSocket(this);
        connect(socket, &QTcpSocket::connected, this, &HttpReply::sendRequest);
    }
    socket_ = socket;
    socket->setReadBufferSize(kSocketBuffer);
    connect(socket, &QTcpSocket::readyRead, this, &HttpReply::pump);
    connect(socket, &QTcpSocket::disconnected, this, &HttpReply::peerClosed);
    connect(socket, &QTcpSocket::errorOccurred, this, &HttpReply::socketFailed);

    QNetworkProxy proxy(QNetworkProxy::NoProxy);
    const QList<QNetworkProxy> proxies =
        QNetworkProxyFactory::proxyForQuery(QNetworkProxyQuery(target));
    if (!proxies.isEmpty())
        proxy = proxies.first();
    switch (proxy.type()) {
    case QNetworkProxy::HttpProxy:
    case QNetworkProxy::HttpCachingProxy:
        if (!tls) {
            // A plain request goes to the proxy itself, naming the whole URL.
            viaProxy_ = true;
            proxy_ = proxy;
            socket->setProxy(QNetworkProxy::NoProxy);
            socket->connectToHost(proxy.hostName(), proxy.port());
            return;
        }
        proxy.setType(QNetworkProxy::HttpProxy); // a tunnel through CONNECT
        socket->setProxy(proxy);
        break;
    case QNetworkProxy::Socks5Proxy:
        socket->setProxy(proxy);
        break;
    default:
        socket->setProxy(QNetworkProxy::NoProxy);
        break;
    }
    const quint16 port = static_cast<quint16>(target.port(tls ? 443 : 80));
    if (tls)
        static_cast<QSslSocket*>(socket)->connectToHostEncrypted(target.host(), port);
    else
        socket->connectToHost(target.host(), port);
}

void HttpReply::sendRequest() {
    const QUrl target = url();
    QByteArray path;
    if (viaProxy_) {
        path = target.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveFragment).toEncoded();
    } else {
        path = target.path(QUrl::FullyEncoded).toLatin1();
        if (path.isEmpty())
            path = "/";
        if (target.hasQuery())
            path += '?' + target.query(QUrl::FullyEncoded).toLatin1();
    }
    QByteArray head = "GET " + path + " HTTP/1.1\r\nHost: " + hostField(target) + "\r\n";
    auto add = [&head](const QByteArray& name, const QByteArray& value) {
        head += name + ": " + value + "\r\n";
    };
    static const QList<QByteArray> ours{"host", "connection", "cookie", "authorization",
                                        "proxy-authorization"};
    const QNetworkRequest& asked = request();
    for (const QByteArray& name : asked.rawHeaderList()) {
        const QByteArray value = asked.rawHeader(name);
        if (!ours.contains(name.toLower()) && safeHeaderText(name) && safeHeaderText(value))
            add(name, value);
    }
    if (!asked.hasRawHeader("Accept-Encoding"))
        add("Accept-Encoding", "gzip, deflate");
    if (!asked.hasRawHeader("Accept-Language"))
        add("Accept-Language", acceptLanguage());
    add("Connection", "close");
    // Credentials in the address go only to the server it names.
    const QUrl first = asked.url();
    if (!first.userName().isEmpty() && sameOrigin(first, target))
        add("Authorization", basicCredentials(first.userName(), first.password()));
    if (viaProxy_ && !proxy_.user().isEmpty())
        add("Proxy-Authorization", basicCredentials(proxy_.user(), proxy_.password()));
    if (cookies_) {
        QByteArray cookie;
        for (const QNetworkCookie& c : cookies_->cookiesForUrl(target))
            cookie +=
                (cookie.isEmpty() ? "" : "; ") + c.toRawForm(QNetworkCookie::NameAndValueOnly);
        if (!cookie.isEmpty() && safeHeaderText(cookie))
            add("Cookie", cookie);
    }
    head += "\r\n";
    socket_->write(head);
}

void HttpReply::schedulePump() {
    if (pumpQueued_ || isFinished() || !socket_)
        return;
    pumpQueued_ = true;
    QMetaObject::invokeMethod(this, &HttpReply::pump, Qt::QueuedConnection);
}

void HttpReply::announce() {
    if (std::exchange(fresh_, false))
        emit readyRead();
}

// Moves bytes off the connection, through the framing and the decoding, into
// the body, as long as the body has room; ends the reply when the answer ends.
// A plain body is left on the connection for readData to take.
void HttpReply::pump() {
    pumpQueued_ = false;
    const qint64 limit =
        readBufferSize() > 0 ? readBufferSize() : std::numeric_limits<qsizetype>::max();
    QTcpSocket* const hop = socket_;
    while (hop && socket_ == hop && !isFinished()) {
        if (reader_.state() == HttpResponseReader::State::Failed)
            return framingFailed();
        const qint64 room = limit - heldBytes();
        if (decoder_ && decoder_->pending() > 0 && room > 0) {
            compactBody();
            const qsizetype pendingBefore = decoder_->pending();
            const qsizetype sizeBefore = body_.size();
            if (!decoder_->decode(body_, static_cast<qsizetype>(room)))
                return end(UnknownContentError, tr("Decompression failed"));
            fresh_ = fresh_ || body_.size() > sizeBefore;
            if (decoder_->pending() != pendingBefore || body_.size() != sizeBefore)
                continue;
        }
        if (reader_.state() == HttpResponseReader::State::Done) {
            if (decoder_ && decoder_->pending() > 0 && room <= 0)
                break; // the rest is decoded once there is room for it
            if (decoder_ && !decoder_->complete() && !decoder_->untouched())
                return end(UnknownContentError, tr("Decompression failed"));
            return end(NoError, {});
        }
        if (plainRun()) {
            if (socket_->bytesAvailable() > 0) {
                fresh_ = true;
                break;
            }
            if (!closed_)
                break;
            reader_.closed(); // the end of a body that runs to the close
            continue;
        }
        if (room <= 0)
            break;
        const qsizetype slice = decoder_ ? kSlice : kFramingSlice;
        const QByteArrayView raw = nextRaw(static_cast<qsizetype>(std::min<qint64>(room, slice)));
        if (raw.isEmpty()) {
            if (!closed_)
                break;
            reader_.closed();
            continue;
        }
        if (!take(raw))
            return;
    }
    announce();
}

// At most `most` bytes, so a body never grows past the room it has. A closed
// connection still hands out what it held.
QByteArrayView HttpReply::nextRaw(qsizetype most) {
    qsizetype n = 0;
    if (socket_->bytesAvailable() > 0) {
        raw_.resize(most);
        n = static_cast<qsizetype>(std::max<qint64>(0, socket_->read(raw_.data(), most)));
        batchRefills();
    }
    return QByteArrayView(raw_.constData(), n);
}

// Runs bytes of the connection through the framing. False once the reply
// has ended or moved on to a redirect's target.
bool HttpReply::take(QByteArrayView raw) {
    // A slot of a signal sent from here may read: the bytes still in `raw`
    // come before those on the connection, so it gets only what is held.
    const QScopedValueRollback<bool> taking(taking_, true);
    while (!raw.isEmpty()) {
        compactBody();
        const qsizetype before = body_.size();
        const qsizetype used = reader_.feed(raw, decoder_ ? coded_ : body_);
        raw = raw.sliced(used);
        fresh_ = fresh_ || body_.size() > before;
        if (decoder_ && !coded_.isEmpty()) {
            decoder_->push(coded_);
            coded_.resize(0);
        }
        if (reader_.state() == HttpResponseReader::State::Failed) {
            framingFailed();
            return false;
        }
        if (reader_.takeHead() && !headIn())
            return false;
        // Bytes past the end of the answer belong to nothing.
        if (reader_.state() == HttpResponseReader::State::Done)
            break;
    }
    return true;
}

// The final answer's head is in: follow a redirect, or publish status and
// fields and get ready for the body.
bool HttpReply::headIn() {
    const QUrl here = url();
    if (cookies_) {
        for (const auto& [name, value] : reader_.fields())
            if (name.compare("Set-Cookie", Qt::CaseInsensitive) == 0)
                cookies_->setCookiesFromUrl(QNetworkCookie::parseCookies(value), here);
    }
    const int status = reader_.status();
    const QByteArray location = reader_.field("Location");
    const auto policy = static_cast<QNetworkRequest::RedirectPolicy>(
        request()
            .attribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::NoLessSafeRedirectPolicy)
            .toInt());
    if (isRedirect(status) && !location.isEmpty() &&
        policy != QNetworkRequest::ManualRedirectPolicy) {
        const QUrl next = here.resolved(QUrl(QString::fromUtf8(location)));
        if (!next.isValid() || !isHttp(next)) {
            end(ProtocolUnknownError, tr("Unsupported redirect"));
        } else if ((policy == QNetworkRequest::NoLessSafeRedirectPolicy && isTls(here) &&
                    !isTls(next)) ||
                   (policy == QNetworkRequest::SameOriginRedirectPolicy &&
                    !sameOrigin(here, next))) {
            end(InsecureRedirectError, tr("Insecure redirect"));
        } else if (++redirects_ > request().maximumRedirectsAllowed()) {
            end(TooManyRedirectsError, tr("Too many redirects"));
        } else {
            emit redirected(next);
            if (!isFinished())
                connectTo(next);
        }
        return false;
    }

    bool known = true;
    const auto coding = ContentDecoder::codingOf(reader_.field("Content-Encoding"), &known);
    setAttribute(QNetworkRequest::HttpStatusCodeAttribute, status);
    setAttribute(QNetworkRequest::HttpReasonPhraseAttribute, QString::fromLatin1(reader_.reason()));
    setAttribute(QNetworkRequest::ConnectionEncryptedAttribute, isTls(here));
    QList<QByteArray> names;
    for (const auto& [name, value] : reader_.fields())
        if (!names.contains(name.toLower()))
            names.append(name.toLower());
    for (const QByteArray& lower : std::as_const(names)) {
        // A length counts coded bytes, not what the reader will get.
        if (coding && lower == "content-length")
            continue;
        QByteArray joined;
        QByteArray spelled;
        for (const auto& [name, value] : reader_.fields()) {
            if (name.toLower() != lower)
                continue;
            if (spelled.isEmpty())
                spelled = name;
            else
                joined += lower == "set-cookie" ? "\n" : ", ";
            joined += value;
        }
        setRawHeader(spelled, joined);
    }
    if (coding)
        decoder_ = std::make_unique<ContentDecoder>(*coding);
    emit metaDataChanged();
    if (isFinished())
        return false;
    if (!known && reader_.state() != HttpResponseReader::State::Done) {
        end(UnknownContentError, tr("Unsupported content encoding"));
        return false;
    }
    return true;
}

void HttpReply::socketFailed(QAbstractSocket::SocketError error) {
    // A close is judged by the framing: the end of some bodies, a cut in others.
    if (error == QAbstractSocket::RemoteHostClosedError)
        return peerClosed();
    end(replyError(error), socket_ ? socket_->errorString() : QString());
}

void HttpReply::peerClosed() {
    if (closed_ || !socket_)
        return;
    closed_ = true; // what the socket still holds stays readable
    pump();
}

void HttpReply::framingFailed() {
    switch (reader_.failure()) {
    case HttpResponseReader::Failure::Unsupported:
        return end(UnknownContentError, tr("Unsupported transfer coding"));
    case HttpResponseReader::Failure::CutShort:
        return end(RemoteHostClosedError, tr("Connection closed"));
    default:
        return end(ProtocolFailure, tr("Invalid HTTP response"));
    }
}

void HttpReply::end(NetworkError error, const QString& text) {
    if (isFinished())
        return;
    announce();
    dropSocket();
    if (error != NoError) {
        setError(error, text);
        emit errorOccurred(error);
    }
    setFinished(true);
    emit finished();
}
