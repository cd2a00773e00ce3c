#include "fetcher/typed_address.h"

#include <QUrl>

#include <algorithm>

QByteArray asciiAddress(const QString& address) {
    qsizetype first = 0;
    qsizetype last = address.size();
    const auto blank = [&](qsizetype i) {
        return address.at(i) == QLatin1Char(' ') || address.at(i) == QLatin1Char('\t');
    };
    while (first < last && blank(first))
        ++first;
    while (last > first && blank(last - 1))
        --last;
    const QUrl url(address.mid(first, last - first), QUrl::TolerantMode);
    if (!url.isValid() || url.isEmpty())
        return {};
    return url.toEncoded();
}

std::optional<QByteArray> addressBytes(const QString& typed) {
    if (std::all_of(typed.cbegin(), typed.cend(), [](QChar c) { return c.unicode() <= 0xFF; }))
        return typed.toLatin1();
    QByteArray ascii = asciiAddress(typed);
    if (ascii.isEmpty())
        return std::nullopt;
    return ascii;
}
