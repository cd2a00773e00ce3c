#include "platform/internet/curl_internet.h"

#include "platform/internet/coding/content_decoder.h"
#include "platform/internet/curl_transfer.h"
#include "platform/internet/internet_error_map.h"

#include <QEventLoop>
#include <QUrl>

#include <algorithm>
#include <cstring>

namespace {

// How much of a coded body is taken, or decoded, at a time.
constexpr qsizetype kStep = 64 * 1024;

} // namespace

struct CurlInternet::Handle : std::enable_shared_from_this<Handle> {
    bool session = false;
    InternetHandle parent = 0;
    QByteArray agent;
    std::shared_ptr<CurlTransfer> transfer;
    std::unique_ptr<ContentDecoder> decoder;
    QByteArray decoded; // decoded and not yet handed out, from decodedAt on
    qsizetype decodedAt = 0;
    QByteArray coded;         // room for coded bytes on their way to the decoder
    std::int32_t failure = 0; // once a read failed, every later one fails alike
    bool closed = false;
};

CurlInternet::CurlInternet(Timeouts timeouts) : driver_(timeouts, [this] { emit progressed(); }) {}

CurlInternet::~CurlInternet() {
    for (const auto& handle : std::as_const(handles_))
        release(*handle);
    handles_.clear();
}

bool CurlInternet::fail(std::int32_t code) {
    lastError_ = code;
    return false;
}

InternetHandle CurlInternet::add(std::shared_ptr<Handle> handle) {
    while (next_ == 0 || handles_.contains(next_))
        ++next_;
    const InternetHandle id = next_++;
    handles_.insert(id, std::move(handle));
    return id;
}

void CurlInternet::release(Handle& handle) {
    handle.closed = true;
    if (handle.transfer)
        driver_.cancel(handle.transfer);
    emit progressed();
}

InternetHandle CurlInternet::InternetOpen(const QByteArray& agent) {
    // A line break in the agent name would smuggle extra request headers in.
    if (agent.contains('\r') || agent.contains('\n') || agent.contains('\0')) {
        fail(InternetError::InvalidParameter);
        return 0;
    }
    auto handle = std::make_shared<Handle>();
    handle->session = true;
    handle->agent = agent;
    const InternetHandle id = add(std::move(handle));
    lastError_ = 0;
    return id;
}

InternetHandle CurlInternet::InternetOpenUrl(InternetHandle session, const QByteArray& url) {
    const std::shared_ptr<Handle> owner = handles_.value(session);
    if (!owner || !owner->session) {
        fail(InternetError::InvalidHandle);
        return 0;
    }
    const QUrl target(QString::fromLatin1(url).trimmed(), QUrl::StrictMode);
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

    auto handle = std::make_shared<Handle>();
    handle->parent = session;
    // The encoded form carries a host name in its ASCII form and the rest
    // percent-encoded, as every server takes it.
    handle->transfer = driver_.start(target.toEncoded(), owner->agent);
    const InternetHandle id = add(handle);

    std::int32_t code = InternetError::OperationCancelled;
    if (wait(*handle, true)) {
        const CurlTransfer& t = *handle->transfer;
        bool known = true;
        handle->decoder = ContentDecoder::forCodings(t.contentEncoding, &known);
        // A failure after the answer began shows in the reads, as a cut body.
        code = !known ? InternetError::DecodingFailed : t.ended && !t.bodyBegun ? t.failure : 0;
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

bool CurlInternet::InternetReadFile(InternetHandle url, char* buffer, std::uint32_t toRead,
                                    std::uint32_t* bytesRead) {
    if (bytesRead)
        *bytesRead = 0;
    // No reference is taken unless the read must wait: most reads find their
    // bytes waiting, and an atomic count costs more than the copy.
    const auto found = handles_.constFind(url);
    if (found == handles_.cend() || found.value()->session)
        return fail(InternetError::InvalidHandle);
    if (!bytesRead || (!buffer && toRead > 0))
        return fail(InternetError::InvalidParameter);
    Handle& handle = *found.value();
    if (handle.failure)
        return fail(handle.failure);

    std::shared_ptr<Handle> held;
    qsizetype got = 0;
    const qsizetype room = toRead;
    if (handle.decoder)
        readDecoded(handle, held, buffer, room, &got);
    else
        readPlain(handle, held, buffer, room, &got);
    // Bytes that came before a failure are handed out first and the failure
    // shows in the next read; a handle closed meanwhile hands out nothing.
    if (handle.closed)
        return fail(InternetError::OperationCancelled);
    if (got == 0 && handle.failure)
        return fail(handle.failure);
    *bytesRead = static_cast<std::uint32_t>(got);
    lastError_ = 0;
    return true;
}

bool CurlInternet::readPlain(Handle& handle, std::shared_ptr<Handle>& held, char* out,
                             qsizetype room, qsizetype* got) {
    const CurlTransfer& t = *handle.transfer;
    for (;;) {
        *got += driver_.take(handle.transfer, out + *got, room - *got);
        if (*got == room)
            return true;
        if (t.ended && t.unread() == 0) {
            handle.failure = t.failure;
            return !t.failure;
        }
        held = handle.shared_from_this();
        if (!wait(handle, false)) {
            handle.failure = InternetError::OperationCancelled;
            return false;
        }
    }
}

bool CurlInternet::readDecoded(Handle& handle, std::shared_ptr<Handle>& held, char* out,
                               qsizetype room, qsizetype* got) {
    for (;;) {
        const qsizetype ready = std::min(handle.decoded.size() - handle.decodedAt, room - *got);
        std::memcpy(out + *got, handle.decoded.constData() + handle.decodedAt,
                    static_cast<std::size_t>(ready));
        *got += ready;
        handle.decodedAt += ready;
        if (handle.decodedAt == handle.decoded.size()) {
            handle.decoded.resize(0);
            handle.decodedAt = 0;
        }
        if (*got == room)
            return true;
        if (!handle.decoder->decode(handle.decoded, kStep)) {
            handle.failure = InternetError::DecodingFailed;
            driver_.cancel(handle.transfer);
            return false;
        }
        if (!handle.decoded.isEmpty())
            continue;
        // The decoder wants more of the coded body.
        handle.coded.resize(kStep);
        const qsizetype taken = driver_.take(handle.transfer, handle.coded.data(), kStep);
        if (taken > 0) {
            handle.decoder->push(QByteArrayView(handle.coded).first(taken));
            continue;
        }
        const CurlTransfer& t = *handle.transfer;
        if (t.ended) {
            // Only a stream that ended as its format says is the whole page.
            handle.failure = t.failure ? t.failure
                             : handle.decoder->complete() || handle.decoder->untouched()
                                 ? 0
                                 : InternetError::DecodingFailed;
            return !handle.failure;
        }
        held = handle.shared_from_this();
        if (!wait(handle, false)) {
            handle.failure = InternetError::OperationCancelled;
            return false;
        }
    }
}

bool CurlInternet::wait(Handle& handle, bool forAnswer) {
    for (;;) {
        if (handle.closed)
            return false;
        const CurlTransfer& t = *handle.transfer;
        if (t.ended || (forAnswer ? t.bodyBegun : t.unread() > 0))
            return true;
        QEventLoop loop;
        connect(this, &CurlInternet::progressed, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

bool CurlInternet::InternetCloseHandle(InternetHandle id) {
    const std::shared_ptr<Handle> handle = handles_.value(id);
    if (id == 0 || !handle)
        return fail(InternetError::InvalidHandle);
    handles_.remove(id);
    if (handle->session) {
        for (auto it = handles_.begin(); it != handles_.end();) {
            if (it.value()->parent == id) {
                release(*it.value());
                it = handles_.erase(it);
            } else {
                ++it;
            }
        }
    }
    release(*handle);
    lastError_ = 0;
    return true;
}

std::int64_t CurlInternet::contentLength(InternetHandle url) const {
    const std::shared_ptr<Handle> handle = handles_.value(url);
    if (!handle || !handle->transfer)
        return -1;
    return handle->transfer->contentLength;
}

CurlInternet::Backlog CurlInternet::backlog(InternetHandle url) const {
    const std::shared_ptr<Handle> handle = handles_.value(url);
    if (!handle || !handle->transfer)
        return {};
    return {handle->transfer->unread(), handle->transfer->paused};
}
