#include "fetcher/typed_address.h"

#include <QUrl>

#include <algorithm>

bool isLatin1(QStringView text) {
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() <= 0xFF; });
}

QByteArray asciiAddress(const QString& address) {
    const QUrl url(address, QUrl::TolerantMode);
    if (!url.isValid() || url.isEmpty())
        return {};
    return url.toEncoded();
}

std::optional<QByteArray> addressBytes(const QString& typed) {
    if (isLatin1(typed))
        return typed.toLatin1();
    // Blanks around an address are no part of it.
    QByteArray ascii = asciiAddress(typed.trimmed());
    if (ascii.isEmpty())
        return std::nullopt;
    return ascii;
}
