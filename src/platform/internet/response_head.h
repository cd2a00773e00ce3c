#pragma once

#include "platform/internet/curl_transfer.h"

#include <QByteArrayView>

#include <cstdint>

// Notes the headers of an answer that matter to how its body is read.
void addHeaderLine(CurlTransfer::Head& head, QByteArrayView line);
// The reason phrase of a status line, blanks and line end trimmed.
QByteArray reasonPhrase(QByteArrayView statusLine);
// The name of the cookie a Set-Cookie line sets; null for any other line.
QByteArray setCookieName(QByteArrayView line);
// The internet error code for framing headers that curl reads past, 0 when
// they are sound: lengths that are no number or disagree, a transfer coding
// other than chunked ("identity" being none), a content coding that cannot be
// undone. Sets the head's content length.
std::int32_t checkFraming(CurlTransfer::Head& head);
