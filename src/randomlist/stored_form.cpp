#include "randomlist/random_list_file.h"

#include "fetcher/typed_address.h"

#include <QUrl>

namespace {

// Enough of an entry for the user to recognise it in a message.
QString quoted(const QString& entry) {
    constexpr qsizetype kShown = 80;
    if (entry.size() <= kShown)
        return QLatin1Char('"') + entry + QLatin1Char('"');
    return QLatin1Char('"') + entry.left(kShown) + QStringLiteral("\u2026\"");
}

[[noreturn]] void refuse(qsizetype number, const QString& entry, const QString& why) {
    throw SaveRandomListError(
        "entry " + std::to_string(number) + " cannot be stored",
        QStringLiteral("Entry %1, %2, %3").arg(QString::number(number), quoted(entry), why));
}

bool isAsciiBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// How the browser understands an address typed by the user.
QUrl addressOf(const QString& text) {
    return QUrl::fromUserInput(text);
}

} // namespace

QString storedForm(const QString& entry, qsizetype number) {
    if (entry.contains(QLatin1Char('\r')))
        refuse(number, entry,
               QStringLiteral("holds a line break, which would split it in two when the list is "
                              "read again."));
    if (isLatin1(entry))
        return entry;

    // Blanks around an address are no part of it, and stay as typed.
    qsizetype first = 0;
    qsizetype last = entry.size();
    while (first < last && isAsciiBlank(entry.at(first)))
        ++first;
    while (last > first && isAsciiBlank(entry.at(last - 1)))
        --last;
    const QByteArray encoded = asciiAddress(entry.mid(first, last - first));
    const QString ascii = entry.left(first) + QString::fromLatin1(encoded) + entry.mid(last);
    if (encoded.isEmpty() || addressOf(ascii) != addressOf(entry))
        refuse(number, entry,
               QStringLiteral("has characters that the list file cannot hold (it keeps Western "
                              "European letters only), and it is not an address that could be "
                              "stored in plain ASCII letters instead."));
    return ascii;
}
