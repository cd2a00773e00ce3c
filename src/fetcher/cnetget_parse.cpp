#include "fetcher/byte_run_set.h"
#include "fetcher/byte_token_scanner.h"
#include "fetcher/cnetget.h"

#include <algorithm>
#include <vector>

namespace {

// Ends a value: the double quote, '>', '?' and '#'.
const QString kDefaultDelimiters = QStringLiteral("\">?#");

struct Run {
    qsizetype offset;
    qsizetype length;
};

} // namespace

bool CNetGet::ParseHTML(const QString& sToken, KeyedCollection& colItems,
                        const std::optional<QString>& vDelimiter) {
    pointer_.setBusy();
    ShowStatus(QStringLiteral("Parsing page..."));
    bool result = false;
    if (sRawHTML.size() > sToken.size()) {
        // An empty set would end no value at all; the default set is meant.
        const QString delimiters =
            vDelimiter && !vDelimiter->isEmpty() ? *vDelimiter : kDefaultDelimiters;
        const ByteTokenScanner scanner(sToken, delimiters);
        // The page is held by value: an event during a status update may
        // replace the field, never the text being scanned.
        const QByteArray page = sRawHTML;
        const char* data = page.constData();
        const qsizetype size = page.size();
        // Byte runs already offered in this scan: the same bytes give the same
        // key, which the collection then holds, so they are skipped cheaply.
        // The new ones are gathered first, so the collection grows only once.
        // A page of markup holds a link or a source every few hundred bytes.
        ByteRunSet offered(data, size / 256);
        std::vector<Run> runs;
        qsizetype at = scanner.findToken(data, size, 0);
        while (at >= 0) {
            const qsizetype value = at + scanner.tokenSize();
            const qsizetype end = scanner.findDelimiter(data, size, value);
            try {
                if (offered.insert(value, end - value))
                    runs.push_back({value, end - value});
            } catch (...) {
                // One value that cannot be taken does not end the scan.
            }
            if (end >= size)
                break;
            at = scanner.findToken(data, size, end + 1);
        }
        try {
            colItems.reserve(colItems.count() + static_cast<qsizetype>(runs.size()));
        } catch (...) {
            // Without the room the adds still work, growing as they go.
        }
        for (const Run& run : runs) {
            try {
                const QString item =
                    StripControlChars(QString::fromLatin1(data + run.offset, run.length));
                if (!item.isEmpty())
                    colItems.add(item, item);
            } catch (...) {
            }
        }
        result = true;
    }
    ShowStatus(QStringLiteral("Ready"));
    pointer_.restore();
    return result;
}

QString CNetGet::StripControlChars(const QString& text) {
    auto isControl = [](QChar c) { return c.unicode() >= 9 && c.unicode() <= 13; };
    if (std::none_of(text.begin(), text.end(), isControl))
        return text;
    QString result;
    result.reserve(text.size());
    for (QChar c : text)
        if (!isControl(c))
            result.append(c);
    return result;
}
