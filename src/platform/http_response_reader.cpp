#include "platform/http_response_reader.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// Bounds on what an answer may send before its body, and around its chunks.
constexpr qsizetype kMaxLine = 64 * 1024;
constexpr qsizetype kMaxHead = 256 * 1024;
constexpr qsizetype kMaxFields = 256;
constexpr qsizetype kMaxChunkLine = 4 * 1024;
constexpr int kMaxHexDigits = 16;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A decimal length; false for anything but digits, or a value too large.
bool parseLength(QByteArrayView text, qint64* value) {
    text = text.trimmed();
    if (text.isEmpty())
        return false;
    qint64 v = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || v > (std::numeric_limits<qint64>::max() - (c - '0')) / 10)
            return false;
        v = v * 10 + (c - '0');
    }
    *value = v;
    return true;
}

} // namespace

QByteArray HttpResponseReader::field(QByteArrayView name) const {
    QByteArray value;
    bool first = true;
    for (const auto& [key, v] : fields_) {
        if (key.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (!first)
            value += ", ";
        value += v;
        first = false;
    }
    return value;
}

bool HttpResponseReader::takeHead() {
    return !std::exchange(headTaken_, true);
}

void HttpResponseReader::fail(Failure failure) {
    state_ = State::Failed;
    failure_ = failure;
    pending_.clear();
}

void HttpResponseReader::done() {
    state_ = State::Done;
    pending_.clear();
}

qsizetype HttpResponseReader::feed(QByteArrayView in, QByteArray& body) {
    qsizetype at = 0;
    while (at < in.size() && (state_ == State::Head || state_ == State::Body)) {
        const qsizetype rest = in.size() - at;
        switch (step_) {
        case Step::Length:
        case Step::ChunkData:
        case Step::ToClose: {
            const qsizetype n = static_cast<qsizetype>(std::min<qint64>(plainBodyAhead(), rest));
            body.append(in.data() + at, n);
            at += n;
            bodyTaken(n);
            break;
        }
        default: {
            const void* found = std::memchr(in.data() + at, '\n', static_cast<size_t>(rest));
            const qsizetype take =
                found ? static_cast<const char*>(found) - (in.data() + at) + 1 : rest;
            const bool inHead = step_ == Step::StatusLine || step_ == Step::Field;
            const qsizetype bound = inHead || step_ == Step::Trailer ? kMaxLine : kMaxChunkLine;
            if (pending_.size() + take > bound + 2 || (inHead && headBytes_ + take > kMaxHead)) {
                fail(Failure::Malformed);
                break;
            }
            pending_.append(in.data() + at, take);
            at += take;
            if (inHead)
                headBytes_ += take;
            if (!found)
                break;
            pending_.chop(1);
            if (pending_.endsWith('\r'))
                pending_.chop(1);
            line(std::exchange(pending_, {}));
            if (!headTaken_)
                return at;
            break;
        }
        }
    }
    return at;
}

qint64 HttpResponseReader::plainBodyAhead() const {
    if (state_ != State::Body)
        return 0;
    switch (step_) {
    case Step::Length:
    case Step::ChunkData:
        return left_;
    case Step::ToClose:
        return std::numeric_limits<qint64>::max();
    default:
        return 0;
    }
}

void HttpResponseReader::bodyTaken(qint64 count) {
    if (count <= 0 || plainBodyAhead() == 0 || step_ == Step::ToClose)
        return;
    left_ -= std::min(count, left_);
    if (left_ > 0)
        return;
    if (step_ == Step::Length)
        done();
    else if (step_ == Step::ChunkData)
        step_ = Step::ChunkEnd;
}

void HttpResponseReader::line(QByteArray text) {
    switch (step_) {
    case Step::StatusLine:
        // An empty line before the status line is tolerated.
        if (!text.isEmpty())
            statusLine(text);
        break;
    case Step::Field:
        if (text.isEmpty()) {
            headEnded();
        } else if (isBlank(text[0])) {
            // A folded line continues the field before it.
            if (fields_.isEmpty())
                return fail(Failure::Malformed);
            fields_.last().second += ' ' + text.trimmed();
        } else if (const qsizetype colon = text.indexOf(':'); colon > 0) {
            if (fields_.size() >= kMaxFields)
                return fail(Failure::Malformed);
            fields_.append({text.left(colon).trimmed(), text.mid(colon + 1).trimmed()});
        }
        // A line without a colon carries nothing and is passed over.
        break;
    case Step::ChunkSize:
        chunkSize(text);
        break;
    case Step::ChunkEnd:
        // The chunk's data must be followed by its line end, nothing else.
        if (!text.isEmpty())
            return fail(Failure::Malformed);
        step_ = Step::ChunkSize;
        break;
    case Step::Trailer:
        if (text.isEmpty())
            done();
        else if ((headBytes_ += text.size()) > kMaxHead)
            fail(Failure::Malformed);
        break;
    default:
        break;
    }
}

void HttpResponseReader::statusLine(const QByteArray& text) {
    // "HTTP/1.1 200 OK": a version, a three-digit code, an optional reason.
    const bool shaped = text.size() >= 12 && text.startsWith("HTTP/") && text[5] >= '0' &&
                        text[5] <= '9' && text[6] == '.' && text[7] >= '0' && text[7] <= '9' &&
                        text[8] == ' ' && (text.size() == 12 || text[12] == ' ');
    int code = 0;
    for (int i = 9; shaped && i < 12; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return fail(Failure::Malformed);
        code = code * 10 + (text[i] - '0');
    }
    if (!shaped || code < 100)
        return fail(Failure::Malformed);
    status_ = code;
    reason_ = text.mid(13);
    fields_.clear();
    step_ = Step::Field;
}

void HttpResponseReader::headEnded() {
    // Interim answers (100 Continue, 103 Early Hints) come before the real one.
    if (status_ >= 100 && status_ < 200) {
        if (status_ == 101)
            return fail(Failure::Malformed); // no upgrade was asked for
        step_ = Step::StatusLine;
        return;
    }
    state_ = State::Body;
    headTaken_ = false;
    if (status_ == 204 || status_ == 304)
        return done();

    const QByteArray transfer = field("Transfer-Encoding").toLower();
    if (!transfer.isEmpty()) {
        QList<QByteArray> codings = transfer.split(',');
        for (QByteArray& coding : codings)
            coding = coding.trimmed();
        codings.removeAll(QByteArray("identity"));
        if (codings.isEmpty()) {
            step_ = Step::ToClose;
        } else if (codings == QList<QByteArray>{"chunked"}) {
            step_ = Step::ChunkSize;
        } else {
            fail(Failure::Unsupported);
        }
        return;
    }

    bool hasLength = false;
    for (const auto& [key, value] : std::as_const(fields_)) {
        if (key.compare("Content-Length", Qt::CaseInsensitive) != 0)
            continue;
        // Repeated lengths must agree, or there is no telling where the body ends.
        for (const QByteArray& part : value.split(',')) {
            qint64 length = 0;
            if (!parseLength(part, &length) || (hasLength && length != left_))
                return fail(Failure::Malformed);
            left_ = length;
            hasLength = true;
        }
    }
    if (!hasLength)
        step_ = Step::ToClose;
    else if (left_ == 0)
        done();
    else
        step_ = Step::Length;
}

// "1a2b" with an optional ";extension": at most 16 hex digits, a size that
// fits; anything else means the body cannot be followed any further.
void HttpResponseReader::chunkSize(const QByteArray& text) {
    qsizetype i = 0;
    quint64 size = 0;
    while (i < text.size() && hexValue(text[i]) >= 0) {
        if (i == kMaxHexDigits)
            return fail(Failure::Malformed);
        size = size * 16 + static_cast<quint64>(hexValue(text[i]));
        ++i;
    }
    if (i == 0 || size > static_cast<quint64>(std::numeric_limits<qint64>::max()))
        return fail(Failure::Malformed);
    while (i < text.size() && isBlank(text[i]))
        ++i;
    if (i < text.size() && text[i] != ';')
        return fail(Failure::Malformed);
    left_ = static_cast<qint64>(size);
    step_ = left_ == 0 ? Step::Trailer : Step::ChunkData;
    headBytes_ = 0;
}

void HttpResponseReader::closed() {
    if (state_ == State::Done || state_ == State::Failed)
        return;
    if (state_ == State::Body && step_ == Step::ToClose)
        return done();
    fail(Failure::CutShort);
}
