#include "fetcher/byte_token_scanner.h"
#include "fetcher/cnetget.h"

#include <algorithm>
#include <array>

namespace {

// Ends a value: the double quote, '>', '?' and '#'.
const QString kDefaultDelimiters = QStringLiteral("\">?#");

// A page of markup holds a link or a source every few hundred bytes; room
// for that many values spares the collection most of its growing. A larger
// page repeats most of its values, and a large index would only fill the
// cache, so past a few thousand the index grows as it needs to.
qsizetype expectedValues(qsizetype pageSize) {
    return std::min<qsizetype>(pageSize / 256, qsizetype{1} << 13);
}

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
        try {
            colItems.reserve(colItems.count() + expectedValues(size));
        } catch (...) {
            // Without the room the adds still work, growing as they go.
        }
        // Values come a run at a time from the block search; each is added
        // straight from the page's bytes, and only one holding a tab or a line
        // break is copied first.
        constexpr int kRun = 64;
        std::array<ByteTokenScanner::Value, kRun> found;
        for (qsizetype from = 0; from >= 0;) {
            const int count =
                scanner.findValues(data, size, from, found.data(), int(found.size()), &from);
            // The plain values' hashes are taken together, then each is added.
            std::array<const unsigned char*, kRun> texts;
            std::array<size_t, kRun> sizes;
            std::array<FoldedAsciiHash, kRun> hashes;
            int plain = 0;
            for (int i = 0; i < count; ++i)
                if (!found[i].controls && found[i].end > found[i].begin) {
                    texts[plain] = reinterpret_cast<const unsigned char*>(data + found[i].begin);
                    sizes[plain++] = static_cast<size_t>(found[i].end - found[i].begin);
                }
            colItems.prepareLatin1(texts.data(), sizes.data(), plain, hashes.data());
            for (int i = 0; i < plain; ++i)
                colItems.prefetch(hashes[i]);
            plain = 0;
            for (int i = 0; i < count; ++i) {
                const ByteTokenScanner::Value& value = found[i];
                const qsizetype length = value.end - value.begin;
                try {
                    if (!value.controls) {
                        if (length > 0)
                            colItems.addLatin1(data + value.begin, length, hashes[plain++]);
                    } else {
                        const QByteArray item =
                            StripControlChars(QByteArrayView(data + value.begin, length));
                        if (!item.isEmpty())
                            colItems.addLatin1(item.constData(), item.size());
                    }
                } catch (...) {
                    // One value that cannot be taken does not end the scan.
                }
            }
        }
        result = true;
    }
    ShowStatus(QStringLiteral("Ready"));
    pointer_.restore();
    return result;
}

QByteArray CNetGet::StripControlChars(QByteArrayView text) {
    QByteArray result;
    result.reserve(text.size());
    for (char c : text)
        if (c < 9 || c > 13)
            result.append(c);
    return result;
}
