#include "platform/internet/curl_driver.h"

#include "platform/internet/curl_transfer.h"
#include "platform/internet/https_cookies.h"
#include "platform/internet/internet_error_map.h"
#include "platform/internet/internet_log.h"
#include "platform/internet/response_head.h"

#include <QSocketNotifier>
#include <QUrl>

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// What a download may hold that nobody took: past the high mark curl pauses
// it, and it goes on once the reader has taken it down to the low mark.
constexpr qsizetype kHighMark = 1024 * 1024;
constexpr qsizetype kLowMark = kHighMark / 2;
constexpr long kReceiveBuffer = 512 * 1024;
constexpr long kMaxRedirects = 20;
constexpr int kMaxAskedAgain = 8;
// The gzip, deflate, brotli and zstd codings are undone by the reader, which
// refuses a body that does not decode completely; curl would take a cut
// stream for a whole page.
constexpr const char* kAcceptedCodings = "gzip, deflate, br, zstd";

void initCurlOnce() {
    static const CURLcode initialized = [] {
        const CURLcode code = curl_global_init(CURL_GLOBAL_DEFAULT);
        if (code != CURLE_OK)
            qCWarning(internetLog, "curl could not set itself up: %s", curl_easy_strerror(code));
        return code;
    }();
    (void)initialized;
}

// The certificates to trust: the system's, or those the user points
// OpenSSL's variables at.
void setTrust(CURL* easy) {
    const QByteArray file = qgetenv("SSL_CERT_FILE");
    const QByteArray dir = qgetenv("SSL_CERT_DIR");
    if (!file.isEmpty())
        curl_easy_setopt(easy, CURLOPT_CAINFO, file.constData());
    if (!dir.isEmpty())
        curl_easy_setopt(easy, CURLOPT_CAPATH, dir.constData());
}

} // namespace

CurlDriver::CurlDriver(CurlTimeouts timeouts, std::function<void()> wake)
    : timeouts_(timeouts), wake_(std::move(wake)) {
    initCurlOnce();
    multi_ = curl_multi_init();
    share_ = curl_share_init();
    // Every download runs on one thread, so the share needs no locks.
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
    cookieEditor_ = curl_easy_init();
    if (cookieEditor_) {
        curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
        curl_easy_setopt(cookieEditor_, CURLOPT_SHARE, share_);
    } else {
        qCWarning(internetLog, "Cookies are not kept: curl gave no handle to keep those that came "
                               "over HTTPS off plain HTTP");
    }
    curl_multi_setopt(multi_, CURLMOPT_SOCKETFUNCTION, &CurlDriver::onSocket);
    curl_multi_setopt(multi_, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(multi_, CURLMOPT_TIMERFUNCTION, &CurlDriver::onTimer);
    curl_multi_setopt(multi_, CURLMOPT_TIMERDATA, this);
    curlTimer_.setSingleShot(true);
    QObject::connect(&curlTimer_, &QTimer::timeout, &curlTimer_,
                     [this] { act(CURL_SOCKET_TIMEOUT, 0); });
    watchdog_.setSingleShot(true);
    QObject::connect(&watchdog_, &QTimer::timeout, &watchdog_, [this] {
        enforceDeadlines();
        settle();
    });
}

CurlDriver::~CurlDriver() {
    // drop() takes each out of active_, which must not be walked meanwhile.
    for (const auto& t : std::exchange(active_, {}))
        drop(t);
    curl_multi_cleanup(multi_);
    curl_easy_cleanup(cookieEditor_);
    curl_share_cleanup(share_);
    for (curl_slist* pins : pins_)
        curl_slist_free_all(pins);
}

std::shared_ptr<CurlTransfer> CurlDriver::start(const QByteArray& url, const QByteArray& agent) {
    auto transfer = std::make_shared<CurlTransfer>();
    transfer->url = url;
    transfer->agent = agent;
    add(transfer);
    return transfer;
}

void CurlDriver::cancel(const std::shared_ptr<CurlTransfer>& transfer) {
    if (transfer->cancelled)
        return;
    transfer->cancelled = true;
    drop(transfer);
}

qsizetype CurlDriver::take(const std::shared_ptr<CurlTransfer>& transfer, char* out,
                           qsizetype max) {
    CurlTransfer& t = *transfer;
    const qsizetype n = std::min(max, t.unread());
    if (n > 0) {
        std::memcpy(out, t.body.constData() + t.taken, static_cast<std::size_t>(n));
        t.taken += n;
    }
    if (t.paused && t.easy && t.unread() <= kLowMark) {
        t.paused = false;
        t.lastHeard = Clock::now();
        // Hands the held-back piece to onBody again, which may pause once
        // more; curl asks for a call back to go on with the rest.
        if (const CURLcode code = curl_easy_pause(t.easy, CURLPAUSE_CONT))
            qCWarning(internetLog, "A download held back could not go on: %s",
                      curl_easy_strerror(code));
        armWatchdog();
    }
    return n;
}

void CurlDriver::pinAddresses(const QList<QByteArray>& entries) {
    curl_slist* pins = nullptr;
    for (const QByteArray& entry : entries)
        pins = curl_slist_append(pins, entry.constData());
    pins_.push_back(pins);
}

int CurlDriver::onSocket(CURL*, curl_socket_t socket, int what, void* self, void* watch) {
    auto& driver = *static_cast<CurlDriver*>(self);
    auto* notifiers = static_cast<QObject*>(watch);
    if (what == CURL_POLL_REMOVE) {
        // Possibly from inside one of these notifiers' own signal.
        if (notifiers) {
            for (auto* n : notifiers->findChildren<QSocketNotifier*>())
                n->setEnabled(false);
            notifiers->deleteLater();
        }
        curl_multi_assign(driver.multi_, socket, nullptr);
        return 0;
    }
    if (!notifiers) {
        notifiers = new QObject(&driver.sockets_);
        for (const auto type : {QSocketNotifier::Read, QSocketNotifier::Write}) {
            auto* n = new QSocketNotifier(socket, type, notifiers);
            const int events = type == QSocketNotifier::Read ? CURL_CSELECT_IN : CURL_CSELECT_OUT;
            QObject::connect(n, &QSocketNotifier::activated, n,
                             [&driver, socket, events] { driver.act(socket, events); });
        }
        curl_multi_assign(driver.multi_, socket, notifiers);
    }
    for (auto* n : notifiers->findChildren<QSocketNotifier*>())
        n->setEnabled(n->type() == QSocketNotifier::Read ? (what & CURL_POLL_IN) != 0
                                                         : (what & CURL_POLL_OUT) != 0);
    return 0;
}

int CurlDriver::onTimer(CURLM*, long ms, void* self) {
    auto& driver = *static_cast<CurlDriver*>(self);
    if (ms < 0)
        driver.curlTimer_.stop();
    else
        driver.curlTimer_.start(static_cast<int>(std::min<long>(ms, 24L * 3600 * 1000)));
    return 0;
}

void CurlDriver::act(curl_socket_t socket, int events) {
    int running = 0;
    if (const CURLMcode code = curl_multi_socket_action(multi_, socket, events, &running))
        qCWarning(internetLog, "curl could not act on its sockets: %s", curl_multi_strerror(code));
    settle();
}

void CurlDriver::settle() {
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        const auto it = std::find_if(active_.begin(), active_.end(), [&](const auto& t) {
            return t->easy == message->easy_handle;
        });
        if (it == active_.end())
            continue;
        const std::shared_ptr<CurlTransfer> t = *it;
        if (t->stale) {
            askAgain(t);
            continue;
        }
        CurlOutcome outcome;
        outcome.result = message->data.result;
        curl_easy_getinfo(t->easy, CURLINFO_SSL_VERIFYRESULT, &outcome.certificateCheck);
        curl_easy_getinfo(t->easy, CURLINFO_OS_ERRNO, &outcome.osError);
        long hops = 0;
        curl_easy_getinfo(t->easy, CURLINFO_REDIRECT_COUNT, &hops);
        outcome.requestSent = t->requestHop == hops;
        outcome.anyRequestSent = t->requestHop >= 0;
        std::int32_t failure = t->ownFailure ? t->ownFailure : internetErrorCode(outcome);
        if (!failure)
            failure = faultAtEnd(*t);
        finish(t, failure);
    }
    armWatchdog();
    if (std::exchange(moved_, false))
        wake_();
}

void CurlDriver::add(const std::shared_ptr<CurlTransfer>& t) {
    CURL* easy = curl_easy_init();
    if (!easy) {
        finish(t, InternetError::InternalError);
        return;
    }
    t->easy = easy;
    curl_easy_setopt(easy, CURLOPT_URL, t->url.constData());
    curl_easy_setopt(easy, CURLOPT_USERAGENT, t->agent.constData());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, kAcceptedCodings);
    curl_easy_setopt(easy, CURLOPT_HTTP_CONTENT_DECODING, 0L);
    curl_easy_setopt(easy, CURLOPT_HTTPAUTH, CURLAUTH_ANY);
    if (cookieEditor_)
        curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");
    curl_easy_setopt(easy, CURLOPT_SHARE, share_);
    curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBuffer);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // A name look-up still running is left behind rather than waited for.
    curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
    setTrust(easy);
    if (!pins_.empty())
        curl_easy_setopt(easy, CURLOPT_RESOLVE, pins_.back());
    curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &CurlDriver::onRequest);
    curl_easy_setopt(easy, CURLOPT_PREREQDATA, t.get());
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CurlDriver::onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, t.get());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlDriver::onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, t.get());
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, &KeptConnections::open);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, &connections_);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETFUNCTION, &KeptConnections::close);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETDATA, &connections_);
    if (t->askedAgain > 0) {
        // A new connection for its first request and none kept afterwards, so
        // that it meets no more connections with bytes waiting than before.
        curl_easy_setopt(easy, CURLOPT_FRESH_CONNECT, 1L);
        curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
    }
    curl_easy_setopt(easy, CURLOPT_PRIVATE, this);
    const auto now = Clock::now();
    t->lastHeard = now;
    if (t->askedAgain == 0)
        t->deadline = now + std::chrono::milliseconds(timeouts_.overallMs);
    if (curl_multi_add_handle(multi_, easy) != CURLM_OK) {
        curl_easy_cleanup(easy);
        t->easy = nullptr;
        finish(t, InternetError::InternalError);
        return;
    }
    active_.push_back(t);
}

// curl closed the connection with bytes waiting when its request was called
// off; the download starts again as it began.
void CurlDriver::askAgain(const std::shared_ptr<CurlTransfer>& t) {
    qCInfo(internetLog,
           "A kept connection had bytes waiting before the request to %s went out (more than "
           "the last answer held, or the server closing it): asked again over a new one",
           qUtf8Printable(QUrl::fromEncoded(t->url).host()));
    drop(t);
    ++t->askedAgain;
    t->stale = false;
    t->ownFailure = 0;
    t->secure = false;
    t->requestHop = -1;
    t->connects = 0;
    t->socket = CURL_SOCKET_BAD;
    t->headState = CurlTransfer::HeadState::Awaited;
    t->head = {};
    add(t);
}

void CurlDriver::drop(const std::shared_ptr<CurlTransfer>& t) {
    if (CURL* easy = t->easy) {
        curl_multi_remove_handle(multi_, easy);
        curl_easy_cleanup(easy);
        t->easy = nullptr;
    }
    std::erase(active_, t);
}

void CurlDriver::finish(const std::shared_ptr<CurlTransfer>& t, std::int32_t failure) {
    drop(t);
    if (!t->bodyBegun) { // an empty body
        t->contentLength = t->head.contentLength;
        t->contentEncoding = t->head.contentEncoding;
    }
    t->ended = true;
    t->failure = failure;
    moved_ = true;
}

void CurlDriver::enforceDeadlines() {
    const auto now = Clock::now();
    const auto idle = std::chrono::milliseconds(timeouts_.idleMs);
    std::vector<std::shared_ptr<CurlTransfer>> late;
    for (const auto& t : active_)
        if (now >= t->deadline || (!t->paused && now - t->lastHeard >= idle))
            late.push_back(t);
    for (const auto& t : late)
        finish(t, InternetError::Timeout);
}

int CurlDriver::untilNextDeadlineMs() const {
    const auto now = Clock::now();
    auto next = now + std::chrono::hours(24);
    for (const auto& t : active_) {
        next = std::min(next, t->deadline);
        if (!t->paused)
            next = std::min(next, t->lastHeard + std::chrono::milliseconds(timeouts_.idleMs));
    }
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(next - now).count();
    return static_cast<int>(std::max<decltype(ms)>(ms, 0));
}

// Bytes keep moving each deadline on, so the watchdog is moved only when a
// deadline comes sooner than it would bark; once it barks it looks again.
void CurlDriver::armWatchdog() {
    if (active_.empty()) {
        watchdog_.stop();
        return;
    }
    const int ms = untilNextDeadlineMs();
    if (!watchdog_.isActive() || watchdog_.remainingTime() > ms)
        watchdog_.start(ms);
}

// Called before each request goes out: the first, each redirect curl
// follows, each authentication round. The address is the one curl is about
// to ask, whatever the answer before it held, so the rule that a download
// never goes from HTTPS down to HTTP holds on every hop, before anything of
// the request (cookies above all) is sent. And an answer is never read from
// bytes that came before its request went out: curl reuses a kept HTTP/1
// connection however much is waiting on it.
int CurlDriver::onRequest(void* transfer, char*, char* localAddress, int, int localPort) {
    auto& t = *static_cast<CurlTransfer*>(transfer);
    void* self = nullptr;
    curl_easy_getinfo(t.easy, CURLINFO_PRIVATE, &self);
    auto& driver = *static_cast<CurlDriver*>(self);
    char* url = nullptr;
    curl_easy_getinfo(t.easy, CURLINFO_EFFECTIVE_URL, &url);
    const bool secure = url && qstrnicmp(url, "https:", 6) == 0;
    if (t.secure && !secure) {
        t.ownFailure = InternetError::HttpsToHttpOnRedirect;
        return CURL_PREREQFUNC_ABORT;
    }
    long connects = 0;
    curl_easy_getinfo(t.easy, CURLINFO_NUM_CONNECTS, &connects);
    const bool kept = connects == t.connects; // no new connection since the last request
    t.connects = connects;
    t.socket = driver.connections_.find(localAddress, localPort);
    if (kept && driver.connections_.hasBytesWaiting(t.socket)) {
        // Each time one more such connection is gone: the bound only guards
        // against a curl that would not close them.
        if (t.askedAgain < kMaxAskedAgain)
            t.stale = true;
        else
            t.ownFailure = InternetError::InvalidServerResponse;
        return CURL_PREREQFUNC_ABORT;
    }
    t.secure = secure;
    curl_easy_getinfo(t.easy, CURLINFO_REDIRECT_COUNT, &t.requestHop);
    t.headState = CurlTransfer::HeadState::Awaited;
    return CURL_PREREQFUNC_OK;
}

// A head begins with the first line after a request went out or an interim
// answer ended, and nowhere else: a field that looks like a status line is a
// field, and lines after a head ended are trailers of its body.
std::size_t CurlDriver::onHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto& t = *static_cast<CurlTransfer*>(user);
    void* self = nullptr;
    curl_easy_getinfo(t.easy, CURLINFO_PRIVATE, &self);
    auto& driver = *static_cast<CurlDriver*>(self);
    const std::size_t length = size * count;
    t.lastHeard = Clock::now();
    const QByteArrayView line(data, static_cast<qsizetype>(length));
    switch (t.headState) {
    case CurlTransfer::HeadState::Ended:
        return length;
    case CurlTransfer::HeadState::Awaited: // the status line
        t.head = {};
        t.reason = reasonPhrase(line);
        t.headState = CurlTransfer::HeadState::Open;
        return length;
    case CurlTransfer::HeadState::Open:
        break;
    }
    if (line == "\r\n" || line == "\n")
        return driver.endOfHead(t) ? length : 0;
    addHeaderLine(t.head, line);
    // curl stored the cookie of this line before handing the line on, and
    // would send it before the head ends: one an answer over HTTPS sets is
    // kept off plain HTTP at once, whatever becomes of the rest of the answer.
    if (t.secure)
        if (const QByteArray cookie = setCookieName(line); !cookie.isNull())
            driver.keepCookieSecure(t, cookie);
    return length;
}

void CurlDriver::keepCookieSecure(CurlTransfer& t, const QByteArray& name) {
    char* url = nullptr;
    curl_easy_getinfo(t.easy, CURLINFO_EFFECTIVE_URL, &url);
    keepCookiesSecure(cookieEditor_, QUrl::fromEncoded(url).host(QUrl::EncodeUnicode).toLatin1(),
                      {name});
}

bool CurlDriver::endOfHead(CurlTransfer& t) {
    curl_easy_getinfo(t.easy, CURLINFO_RESPONSE_CODE, &t.status);
    long version = 0;
    curl_easy_getinfo(t.easy, CURLINFO_HTTP_VERSION, &version);
    connections_.answered(t.socket, version);
    // The real answer follows an interim one on the same request.
    t.headState =
        t.status < 200 ? CurlTransfer::HeadState::Awaited : CurlTransfer::HeadState::Ended;
    // A server error is no page, whatever its body: that is not waited for.
    if (t.status >= 500 && t.status <= 599) {
        t.ownFailure = InternetError::ServerError;
        return false;
    }
    return true;
}

// curl ends an answer whose head was cut short without a failure, as an
// empty page; and the framing of an answer without a body is checked here,
// since no body came to check it.
std::int32_t CurlDriver::faultAtEnd(CurlTransfer& t) {
    if (t.headState != CurlTransfer::HeadState::Ended)
        return InternetError::InvalidServerResponse;
    return t.bodyBegun ? 0 : checkFraming(t.head);
}

std::size_t CurlDriver::onBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& t = *static_cast<CurlTransfer*>(user);
    void* self = nullptr;
    curl_easy_getinfo(t.easy, CURLINFO_PRIVATE, &self);
    return static_cast<CurlDriver*>(self)->body(t, data, size * count);
}

std::size_t CurlDriver::body(CurlTransfer& t, const char* data, std::size_t size) {
    t.lastHeard = Clock::now();
    const qsizetype unread = t.unread();
    if (unread >= kHighMark) {
        t.paused = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    if (!t.bodyBegun) {
        // curl hands out no body of a redirect or an authentication round it
        // follows, so this answer carries the page; its framing headers are
        // checked, since curl reads past some that are wrong.
        if (const std::int32_t fault = checkFraming(t.head)) {
            t.ownFailure = fault;
            return 0;
        }
        t.bodyBegun = true;
        t.contentLength = t.head.contentLength;
        t.contentEncoding = t.head.contentEncoding;
    }
    // What was taken makes room again, moving no more than it frees.
    if (t.taken > 0 && t.taken >= unread) {
        std::memmove(t.body.data(), t.body.constData() + t.taken, static_cast<std::size_t>(unread));
        t.body.resize(unread);
        t.taken = 0;
    }
    t.body.append(data, static_cast<qsizetype>(size));
    moved_ = true;
    return size;
}
