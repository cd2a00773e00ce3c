#include "platform/internet/curl_page_reader.h"

#include "platform/internet/coding/content_decoder.h"
#include "platform/internet/curl_transfer.h"
#include "platform/internet/server_error_text.h"

#include <QUrl>

#include <algorithm>
#include <utility>

namespace {

// The most decoded in one round of the event loop: a few hundred
// microseconds of work, so window events never wait long behind it.
constexpr qsizetype kDecodeStep = 64 * 1024;
// Coded bytes handed to the decoder at a time.
constexpr qsizetype kCodedStep = 64 * 1024;
// The most set aside from the announced length: a lying header must not make
// a read claim gigabytes. A larger page grows past it as it comes in.
constexpr std::int64_t kMaxReserve = 64 * 1024 * 1024;

// The code for an address or agent no download can start with, 0 for none.
std::int32_t refusal(const QUrl& target, const QByteArray& agent) {
    // A line break in the agent name would smuggle extra request headers in.
    if (agent.contains('\r') || agent.contains('\n') || agent.contains('\0'))
        return InternetError::InvalidParameter;
    if (!target.isValid() || target.scheme().isEmpty())
        return InternetError::InvalidUrl;
    const QString scheme = target.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return InternetError::UnrecognizedScheme;
    if (target.host().isEmpty())
        return InternetError::InvalidUrl;
    return 0;
}

} // namespace

CurlPageReader::CurlPageReader(CurlTimeouts timeouts, QObject* parent)
    : PageReader(parent), driver_(timeouts, [this] { advance(); }) {
    next_.setSingleShot(true);
    connect(&next_, &QTimer::timeout, this, [this] {
        if (soon_)
            end(*std::exchange(soon_, std::nullopt));
        else
            advance();
    });
}

CurlPageReader::~CurlPageReader() = default;

void CurlPageReader::fetch(PageRequest request) {
    abandon();
    const QUrl target(QString::fromLatin1(request.url).trimmed(), QUrl::StrictMode);
    if (const std::int32_t code = refusal(target, request.agent)) {
        failSoon(code);
        return;
    }
    page_ = std::move(request.room);
    page_.resize(0); // the earlier page goes; a buffer someone else holds stays theirs
    // The encoded form carries a host name in its ASCII form and the rest
    // percent-encoded, as every server takes it.
    transfer_ = driver_.start(target.toEncoded(), request.agent);
    if (transfer_->ended) // curl could not even take it on
        next_.start(0);
}

void CurlPageReader::abandon() {
    ++read_;
    next_.stop();
    soon_.reset();
    if (transfer_)
        driver_.cancel(std::exchange(transfer_, nullptr));
    decoder_.reset();
    bodyStarted_ = false;
    page_ = {};
}

void CurlPageReader::failSoon(std::int32_t code) {
    soon_ = code;
    next_.start(0);
}

void CurlPageReader::advance() {
    if (!transfer_)
        return;
    const CurlTransfer& t = *transfer_;
    // Bytes that came before a failure are no page.
    if (t.ended && t.failure) {
        end(t.failure, t.failure == InternetError::ServerError ? serverErrorText(t.status, t.reason)
                                                               : QString());
        return;
    }
    if (!t.bodyBegun && !t.ended)
        return;
    if (!bodyStarted_) {
        bodyStarted_ = true;
        if (t.contentLength > 0)
            page_.reserve(static_cast<qsizetype>(std::min(t.contentLength, kMaxReserve)));
        bool known = true;
        decoder_ = ContentDecoder::forCodings(t.contentEncoding, &known);
        if (!known) {
            end(InternetError::DecodingFailed);
            return;
        }
    }
    const qsizetype before = page_.size();
    bool more = false;
    if (decoder_) {
        if (!decodeStep(&more))
            return;
    } else {
        const qsizetype at = page_.size();
        page_.resize(at + t.unread());
        driver_.take(transfer_, page_.data() + at, t.unread());
    }
    if (page_.size() > before) {
        const std::uint64_t read = read_;
        emit progressed(page_.size());
        if (read != read_) // a slot began another read, or abandoned this one
            return;
    }
    if (more)
        next_.start(0);
    else if (t.ended && t.unread() == 0)
        end(0);
}

bool CurlPageReader::decodeStep(bool* more) {
    const CurlTransfer& t = *transfer_;
    qsizetype made = 0;
    for (;;) {
        const qsizetype before = page_.size();
        if (!decoder_->decode(page_, kDecodeStep - made)) {
            end(InternetError::DecodingFailed);
            return false;
        }
        made += page_.size() - before;
        if (made >= kDecodeStep) {
            *more = true; // the coder may hold more: the next round goes on
            return true;
        }
        if (page_.size() > before)
            continue;
        // The decoder wants more of the coded body.
        coded_.resize(kCodedStep);
        const qsizetype taken = driver_.take(transfer_, coded_.data(), kCodedStep);
        if (taken == 0)
            break;
        decoder_->push(QByteArrayView(coded_).first(taken));
    }
    // Only a stream that ended as its format says is the whole page.
    if (t.ended && t.unread() == 0 && !decoder_->complete() && !decoder_->untouched()) {
        end(InternetError::DecodingFailed);
        return false;
    }
    return true;
}

void CurlPageReader::end(std::int32_t failure, QString errorText) {
    PageResult result;
    result.error = failure;
    result.errorText = std::move(errorText);
    if (!failure)
        result.body = std::exchange(page_, {});
    // Nothing of this read may follow, whatever a slot of finished() does.
    abandon();
    emit finished(result);
}
