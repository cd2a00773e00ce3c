#include "platform/internet/server_error_text.h"

#include <algorithm>

namespace {

// A phrase long enough to fill a message box is cut.
constexpr qsizetype kMaxReason = 200;

const char* standardPhrase(long status) {
    switch (status) {
    case 500:
        return "Internal Server Error";
    case 501:
        return "Not Implemented";
    case 502:
        return "Bad Gateway";
    case 503:
        return "Service Unavailable";
    case 504:
        return "Gateway Timeout";
    case 505:
        return "HTTP Version Not Supported";
    case 506:
        return "Variant Also Negotiates";
    case 507:
        return "Insufficient Storage";
    case 508:
        return "Loop Detected";
    case 510:
        return "Not Extended";
    case 511:
        return "Network Authentication Required";
    default:
        return nullptr;
    }
}

} // namespace

QString serverErrorText(long status, QByteArrayView reason) {
    QString phrase = QString::fromLatin1(reason.first(std::min(reason.size(), kMaxReason)));
    for (QChar& c : phrase)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QLatin1Char(' ');
    phrase = phrase.trimmed();
    if (phrase.isEmpty())
        phrase = QString::fromLatin1(standardPhrase(status));
    QString text = QStringLiteral("The server answered ") + QString::number(status);
    if (!phrase.isEmpty())
        text += QLatin1Char(' ') + phrase;
    return text + QLatin1Char('.');
}
