#include "platform/internet/response_head.h"

#include "platform/internet/coding/content_decoder.h"
#include "platform/internet/internet_error_map.h"

#include <QByteArray>

#include <algorithm>
#include <limits>

namespace {

// Header lines of one name, joined as one list.
void appendList(QByteArray& list, QByteArrayView value) {
    if (!list.isEmpty())
        list += ',';
    list += value.trimmed();
}

// Only digits, leading zeros allowed; a value past 63 bits is no length
// either.
std::int64_t parseLength(QByteArrayView value) {
    if (value.isEmpty())
        return -1;
    std::int64_t length = 0;
    for (char c : value) {
        if (c < '0' || c > '9')
            return -1;
        const int digit = c - '0';
        if (length > (std::numeric_limits<std::int64_t>::max() - digit) / 10)
            return -1;
        length = length * 10 + digit;
    }
    return length;
}

} // namespace

void addHeaderLine(CurlTransfer::Head& head, QByteArrayView line) {
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0)
        return;
    const QByteArray name = line.first(colon).trimmed().toByteArray().toLower();
    const QByteArrayView value = line.sliced(colon + 1).trimmed();
    if (name == "content-length")
        head.lengths.append(value.toByteArray());
    else if (name == "transfer-encoding")
        appendList(head.transferEncoding, value);
    else if (name == "content-encoding")
        appendList(head.contentEncoding, value);
}

QByteArray reasonPhrase(QByteArrayView statusLine) {
    // "HTTP/1.1 503 Service Unavailable": what follows the version and the code.
    const QByteArrayView line = statusLine.trimmed();
    const qsizetype code = line.indexOf(' ');
    const qsizetype reason = code < 0 ? -1 : line.indexOf(' ', code + 1);
    return reason < 0 ? QByteArray() : line.sliced(reason + 1).trimmed().toByteArray();
}

QByteArray setCookieName(QByteArrayView line) {
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0 || line.first(colon).trimmed().compare("set-cookie", Qt::CaseInsensitive) != 0)
        return {};
    const QByteArrayView value = line.sliced(colon + 1).trimmed();
    const QByteArray name =
        value.first(std::max<qsizetype>(value.indexOf('='), 0)).trimmed().toByteArray();
    return name.isNull() ? QByteArray("") : name;
}

std::int32_t checkFraming(CurlTransfer::Head& head) {
    head.contentLength = -1;
    for (const QByteArray& line : std::as_const(head.lengths)) {
        for (const QByteArray& value : line.split(',')) {
            const std::int64_t length = parseLength(value.trimmed());
            if (length < 0 || (head.contentLength >= 0 && length != head.contentLength))
                return InternetError::InvalidServerResponse;
            head.contentLength = length;
        }
    }
    // "identity" names no coding at all, as curl reads it.
    for (const QByteArray& coding : head.transferEncoding.split(',')) {
        const QByteArray name = coding.trimmed().toLower();
        if (!name.isEmpty() && name != "chunked" && name != "identity")
            return InternetError::DecodingFailed;
    }
    bool known = true;
    ContentDecoder::forCodings(head.contentEncoding, &known);
    return known ? 0 : InternetError::DecodingFailed;
}
