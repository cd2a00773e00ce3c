#include "platform/qt_internet.h"

#include "platform/http_access_manager.h"
#include "platform/internet_error_map.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <vector>

namespace {

// What the reply may hold unread; the page itself is kept by the caller, so a
// large page is not buffered twice over.
constexpr qint64 kReplyBuffer = 512 * 1024;
constexpr int kMaxRedirects = 20;

bool isFollowedRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 305 || status == 307 ||
           status == 308;
}

// The answer's HTTP status, 0 while none came in.
int httpStatus(const QNetworkReply* reply) {
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

// The final answer's headers are in: a status that is not a redirect on its way.
// While a redirect is followed the old status stays but its headers are gone.
bool headersIn(const QNetworkReply* reply) {
    QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid() || reply->rawHeaderList().isEmpty())
        return false;
    return !(isFollowedRedirect(status.toInt()) && reply->hasRawHeader("Location"));
}

// Failures that concern the answer as a whole rather than its body.
bool failsAtOpen(QNetworkReply::NetworkError error) {
    return error == QNetworkReply::TooManyRedirectsError ||
           error == QNetworkReply::InsecureRedirectError ||
           error == QNetworkReply::SslHandshakeFailedError;
}

} // namespace

struct QtInternet::Handle {
    bool session = false;
    InternetHandle parent = 0;
    QByteArray agent;
    QNetworkReply* reply = nullptr;
    QList<QSslError> sslErrors;
    QDeadlineTimer overall;
    std::int32_t failure = 0;
    bool closed = false;
    std::vector<QEventLoop*> waiters; // nested waits on this handle
};

QtInternet::QtInternet(Timeouts timeouts)
    : timeouts_(timeouts), manager_(new HttpAccessManager(this)) {
    manager_->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

QtInternet::~QtInternet() {
    for (const auto& handle : std::as_const(handles_))
        release(*handle);
    handles_.clear();
}

bool QtInternet::fail(std::int32_t code) {
    lastError_ = code;
    return false;
}

InternetHandle QtInternet::add(std::shared_ptr<Handle> handle) {
    while (next_ == 0 || handles_.contains(next_))
        ++next_;
    InternetHandle id = next_++;
    handles_.insert(id, std::move(handle));
    return id;
}

InternetHandle QtInternet::InternetOpen(const QByteArray& agent) {
    // A line break in the agent name would smuggle extra request headers in.
    if (agent.contains('\r') || agent.contains('\n') || agent.contains('\0')) {
        fail(InternetError::InvalidParameter);
        return 0;
    }
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    auto handle = std::make_shared<Handle>();
    handle->session = true;
    handle->agent = agent;
    InternetHandle id = add(std::move(handle));
    lastError_ = 0;
    return id;
}

InternetHandle QtInternet::InternetOpenUrl(InternetHandle session, const QByteArray& url) {
    std::shared_ptr<Handle> owner = handles_.value(session);
    if (!owner || !owner->session) {
        fail(InternetError::InvalidHandle);
        return 0;
    }
    QUrl target(QString::fromLatin1(url).trimmed(), QUrl::StrictMode);
    if (!target.isValid() || target.scheme().isEmpty()) {
        fail(InternetError::InvalidUrl);
        return 0;
    }
    const QString scheme = target.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) {
        fail(InternetError::UnrecognizedScheme);
        return 0;
    }
    if (target.host().isEmpty()) {
        fail(InternetError::InvalidUrl);
        return 0;
    }

    QNetworkRequest request(target);
    request.setHeader(QNetworkRequest::UserAgentHeader, QString::fromLatin1(owner->agent));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);

    auto handle = std::make_shared<Handle>();
    handle->parent = session;
    handle->overall = timeouts_.overallMs > 0 ? QDeadlineTimer(timeouts_.overallMs)
                                              : QDeadlineTimer(QDeadlineTimer::Forever);
    handle->reply = manager_->get(request);
    handle->reply->setReadBufferSize(kReplyBuffer);
    // Certificate problems are recorded for the error code, never ignored.
    Handle* raw = handle.get();
    connect(handle->reply, &QNetworkReply::sslErrors, this,
            [raw](const QList<QSslError>& errors) { raw->sslErrors += errors; });
    InternetHandle id = add(handle);

    std::int32_t code = 0;
    if (!wait(handle, Until::Headers, 0)) {
        code = handle->failure ? handle->failure : InternetError::OperationCancelled;
    } else if (QNetworkReply* reply = handle->reply;
               !headersIn(reply) || failsAtOpen(reply->error())) {
        // A failure after the headers shows in the reads, as a cut-off body.
        code = internetErrorCode(reply->error(), httpStatus(reply), handle->sslErrors);
    }
    if (code) {
        release(*handle);
        handles_.remove(id);
        fail(code);
        return 0;
    }
    lastError_ = 0;
    return id;
}

bool QtInternet::InternetReadFile(InternetHandle url, char* buffer, std::uint32_t toRead,
                                  std::uint32_t* bytesRead) {
    if (bytesRead)
        *bytesRead = 0;
    std::shared_ptr<Handle> handle = handles_.value(url);
    if (!handle || handle->session || !handle->reply)
        return fail(InternetError::InvalidHandle);
    if (!bytesRead || (!buffer && toRead > 0))
        return fail(InternetError::InvalidParameter);

    // Whatever the reply holds is taken before waiting for more: a reply with
    // a bounded read buffer may hold the rest back until then, so waiting for
    // the whole count could wait forever. The bytes wait in the caller's own
    // buffer, so they cost no extra copy.
    qint64 got = 0;
    for (;;) {
        QNetworkReply* reply = handle->reply;
        // A finished reply reports its end as a failed read, so only what it
        // says it holds is read.
        if (const qint64 held = std::min(reply->bytesAvailable(), qint64{toRead} - got); held > 0) {
            const qint64 n = reply->read(buffer + got, held);
            if (n < 0)
                return fail(InternetError::ConnectionAborted);
            got += n;
        }
        if (got == qint64{toRead} || (reply->isFinished() && reply->bytesAvailable() == 0))
            break;
        if (!wait(handle, Until::Bytes, 1))
            return fail(handle->failure ? handle->failure : InternetError::OperationCancelled);
    }
    if (got > 0) {
        *bytesRead = static_cast<std::uint32_t>(got);
        lastError_ = 0;
        return true;
    }
    // Nothing left: the end of the body, or the failure that cut it short.
    QNetworkReply* reply = handle->reply;
    if (std::int32_t code = internetErrorCode(reply->error(), httpStatus(reply), handle->sslErrors))
        return fail(code);
    lastError_ = 0;
    return true;
}

bool QtInternet::InternetCloseHandle(InternetHandle id) {
    std::shared_ptr<Handle> handle = handles_.value(id);
    if (id == 0 || !handle)
        return fail(InternetError::InvalidHandle);
    handles_.remove(id);
    if (handle->session) {
        std::vector<InternetHandle> children;
        for (auto it = handles_.cbegin(); it != handles_.cend(); ++it)
            if (it.value()->parent == id)
                children.push_back(it.key());
        for (InternetHandle child : children) {
            release(*handles_.value(child));
            handles_.remove(child);
        }
    }
    release(*handle);
    lastError_ = 0;
    return true;
}

std::int64_t QtInternet::contentLength(InternetHandle url) const {
    const std::shared_ptr<Handle> handle = handles_.value(url);
    if (!handle || !handle->reply)
        return -1;
    bool ok = false;
    const qint64 length =
        handle->reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&ok);
    return ok && length >= 0 ? length : -1;
}

void QtInternet::release(Handle& handle) {
    handle.closed = true;
    for (QEventLoop* loop : handle.waiters)
        loop->quit();
    if (QNetworkReply* reply = std::exchange(handle.reply, nullptr)) {
        reply->disconnect(this);
        if (!reply->isFinished())
            reply->abort();
        // No signal of this reply is on the stack here: the waits only quit
        // their loops, so the reply can go at once.
        delete reply;
    }
}

// Runs a local event loop until the handle has what is asked, the reply ends,
// the handle is closed, or a time bound passes (recorded as a timeout).
bool QtInternet::wait(const std::shared_ptr<Handle>& handle, Until until, qint64 bytes) {
    for (;;) {
        if (handle->closed || handle->failure)
            return false;
        QNetworkReply* reply = handle->reply;
        if (reply->isFinished())
            return true;
        if (until == Until::Headers && (headersIn(reply) || reply->bytesAvailable() > 0))
            return true;
        if (until == Until::Bytes && reply->bytesAvailable() >= bytes)
            return true;

        qint64 left = handle->overall.remainingTime();
        if (left < 0)
            left = timeouts_.idleMs;
        bool timedOut = left == 0;
        if (!timedOut) {
            QEventLoop loop;
            QTimer timer;
            timer.setSingleShot(true);
            timer.setTimerType(Qt::PreciseTimer);
            connect(&timer, &QTimer::timeout, &loop, [&] {
                timedOut = true;
                loop.quit();
            });
            // Any progress ends this wait, so the idle bound restarts.
            connect(reply, &QNetworkReply::readyRead, &loop, &QEventLoop::quit);
            connect(reply, &QNetworkReply::metaDataChanged, &loop, &QEventLoop::quit);
            connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
            connect(reply, &QNetworkReply::redirected, &loop, &QEventLoop::quit);
            connect(reply, &QNetworkReply::errorOccurred, &loop, &QEventLoop::quit);
            timer.start(static_cast<int>(std::min<qint64>(timeouts_.idleMs, left)));
            handle->waiters.push_back(&loop);
            loop.exec();
            std::erase(handle->waiters, &loop);
        }
        if (timedOut && !handle->closed) {
            handle->failure = InternetError::Timeout;
            handle->reply->disconnect(this);
            handle->reply->abort();
            return false;
        }
    }
}
