#include "fetcher/byte_token_scanner.h"
#include "fetcher_rig.h"

#include <QRegularExpression>
#include <QSet>
#include <QtTest>

#include <random>

namespace {

// A value as the scanner reports it: where it starts and ends, and whether
// it holds a tab or a line break.
using Span = std::tuple<qsizetype, qsizetype, bool>;

struct Found {
    QList<Span> spans;
    QStringList items;
};

// The extraction as plainly as it can be written: QString's own
// case-insensitive search, one character at a time to the delimiter, and a
// set of folded keys.
Found reference(const QByteArray& bytes, const QString& token, const QString& delimiters) {
    Found found;
    const QString page = QString::fromLatin1(bytes);
    QSet<QString> keys;
    static const QRegularExpression controls(QStringLiteral("[\\t\\n\\v\\f\\r]"));
    qsizetype at = page.size() > token.size() ? page.indexOf(token, 0, Qt::CaseInsensitive) : -1;
    while (at >= 0) {
        const qsizetype value = at + token.size();
        qsizetype end = value;
        while (end < page.size() && !delimiters.contains(page.at(end), Qt::CaseInsensitive))
            ++end;
        const QString text = page.mid(value, end - value);
        found.spans.append({value, end, text.contains(controls)});
        const QString item = QString(text).remove(controls);
        if (!item.isEmpty() && !keys.contains(item.toCaseFolded())) {
            keys.insert(item.toCaseFolded());
            found.items.append(item);
        }
        at = end + 1 <= page.size() ? page.indexOf(token, end + 1, Qt::CaseInsensitive) : -1;
    }
    return found;
}

// A few values per call, so that the search resumes often.
QList<Span> spansOf(const ByteTokenScanner& scanner, const QByteArray& page) {
    QList<Span> spans;
    ByteTokenScanner::Value values[3];
    qsizetype from = page.size() > scanner.tokenSize() ? 0 : -1;
    while (from >= 0) {
        const int count = scanner.findValues(page.constData(), page.size(), from, values, 3, &from);
        for (int i = 0; i < count; ++i)
            spans.append({values[i].begin, values[i].end, values[i].controls});
    }
    return spans;
}

// Markup-like bytes full of the tokens in any letter case, near misses, the
// same values again in other letter cases, values with line breaks, empty and
// very long values, Latin-1 letters, and a cut at a random place.
QByteArray generatedPage(std::mt19937& random, qsizetype size) {
    static const QByteArrayList tokens = {"a href=\"",  "src=\"", "\xe9t\xe9=\"",
                                          "a  href=\"", "href='", "<A HRE"};
    static const QByteArrayList values = {"/Page.html",
                                          "http://example.com/a?b=c#d",
                                          "caf\xe9/\xc9t\xe9",
                                          "\xb5m and \xdf",
                                          "two\r\nlines\t",
                                          "",
                                          "\t\r\n",
                                          "x>y\"z#w?v"};
    static const QByteArray filler = "<p class=\"x\">Stay as you are = \"ok\" \xe0 \xc0\n";
    auto flipSomeCase = [&](QByteArray text) {
        for (char& c : text)
            if (random() % 2 != 0)
                c = static_cast<char>(ByteTokenScanner::fold(static_cast<std::uint8_t>(c)) ==
                                              static_cast<std::uint8_t>(c)
                                          ? QChar::toUpper(static_cast<uchar>(c))
                                          : QChar::toLower(static_cast<uchar>(c)));
        return text;
    };
    QByteArray page;
    while (page.size() < size) {
        page += filler.left(static_cast<qsizetype>(random() % filler.size()));
        page += flipSomeCase(tokens[random() % tokens.size()]);
        if (random() % 40 == 0)
            page += QByteArray(static_cast<qsizetype>(33000 + random() % 8000), 'L');
        else
            page += flipSomeCase(values[random() % values.size()]);
        page += "\">?#"[random() % 4];
    }
    page.truncate(size - static_cast<qsizetype>(random() % 16));
    return page;
}

const QList<QPair<QString, QString>> kSearches = {
    {QStringLiteral("A HREF=\""), QStringLiteral("\">?#")},
    {QStringLiteral("SRC=\""), QStringLiteral("\">?#")},
    {QString::fromLatin1("\xc9T\xc9=\""), QString::fromLatin1("\"\xe9Y")},
    {QStringLiteral("a"), QStringLiteral("\"")},
    // More than eight delimiters, some past 0x80, one a line break.
    {QStringLiteral("SRC=\""), QString::fromLatin1("\">?#<=/;:,\n\xe9\xff")},
};

const QList<ByteTokenScanner::Path> kPaths = {
    ByteTokenScanner::Path::Portable, ByteTokenScanner::Path::Sse2, ByteTokenScanner::Path::Avx2,
    ByteTokenScanner::Path::Avx512};

// Every search path the CPU has finds the values the plain search finds.
void everyPathFindsWhatThePlainSearchFinds(const QByteArray& page, const QString& token,
                                           const QString& delimiters) {
    const auto expected = reference(page, token, delimiters).spans;
    for (auto path : kPaths) {
        if (!ByteTokenScanner::available(path))
            continue;
        const ByteTokenScanner scanner(token, delimiters, path);
        QCOMPARE(spansOf(scanner, page), expected);
    }
}

} // namespace

class TestExtractionDifferential : public QObject {
    Q_OBJECT

private slots:
    // Every search path finds the same tokens and delimiters as the plain
    // search, on pages of every length around the vector widths.
    void everySearchPathAgreesWithThePlainSearch() {
        std::mt19937 random(11);
        for (int round = 0; round < 60; ++round) {
            const QByteArray page = generatedPage(random, round < 40 ? round * 3 : 20000);
            for (const auto& [token, delimiters] : kSearches)
                everyPathFindsWhatThePlainSearchFinds(page, token, delimiters);
        }
    }

    // A token at every offset across the 64-byte blocks and the stretch the
    // search reads at once, its value ended by a delimiter at every distance,
    // by the page's end, or holding a line break; a candidate that fails on
    // its last byte just before it.
    void tokensAndDelimitersAtEveryOffset() {
        const QString token = QStringLiteral("A HREF=\"");
        const QString delimiters = QStringLiteral("\">?#");
        QList<QByteArray> pages;
        for (int offset : {0, 1, 55, 56, 57, 63, 64, 65, 127, 1016, 1023, 1024, 1025}) {
            for (int length = 0; length < 140; length += 1 + length / 8) {
                const QByteArray head = QByteArray(offset, 'x') + "a hreF=x" + "A href=\"";
                const QByteArray value(length, 'v');
                pages << head + value + "?" + QByteArray(70, 'y') + "a HREF=\"z#";
                pages << head + value; // runs to the end
                pages << head + value.left(length / 2) + "\r\n" + value + "\"";
                pages << QByteArray(offset + length, 'y') + "a href=\""; // token last
            }
        }
        for (const QByteArray& page : pages)
            everyPathFindsWhatThePlainSearchFinds(page, token, delimiters);
    }

    // The byte-wide case bit folds exactly as the fold table does.
    void caseBitMatchesTheFoldTable() {
        for (int t = 0; t < 256; ++t) {
            const auto folded = ByteTokenScanner::fold(static_cast<std::uint8_t>(t));
            for (int b = 0; b < 256; ++b)
                QCOMPARE(ByteTokenScanner::fold(static_cast<std::uint8_t>(b)) == folded,
                         (b | ByteTokenScanner::caseBit(folded)) == folded);
        }
    }

    // The collections the scan fills hold what the plain extraction holds, in
    // the same order and letter case.
    void parseHtmlFillsWhatThePlainExtractionFinds() {
        FakeInternet internet;
        FetcherRig rig(internet);
        rig.net.Init();
        std::mt19937 random(5);
        for (int round = 0; round < 6; ++round) {
            internet.pages["http://page/"] = {generatedPage(random, 150000)};
            QVERIFY(rig.net.ReadUrl("http://page/"));
            for (const auto& [token, delimiters] : kSearches) {
                KeyedCollection items;
                QVERIFY(rig.net.ParseHTML(token, items, delimiters));
                const QStringList expected =
                    reference(internet.pages["http://page/"].body, token, delimiters).items;
                QVERIFY(expected.size() > 3);
                QCOMPARE(items.items(), expected);
            }
        }
    }
};

QTEST_MAIN(TestExtractionDifferential)
#include "tst_extraction_differential.moc"
