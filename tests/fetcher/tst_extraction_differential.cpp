#include "fetcher/latin1_case.h"
#include "fetcher/value_extraction.h"
#include "fetcher_rig.h"

#include <QRegularExpression>
#include <QSet>
#include <QtTest>

#include <random>

namespace {

// The extraction as plainly as it can be written: QString's own
// case-insensitive search, one character at a time to the delimiter, and a
// set of folded keys.
QStringList reference(const QByteArray& bytes, const QString& token, const QString& delimiters) {
    QStringList found;
    const QString page = QString::fromLatin1(bytes);
    QSet<QString> keys;
    static const QRegularExpression controls(QStringLiteral("[\\t\\n\\v\\f\\r]"));
    qsizetype at = page.size() > token.size() ? page.indexOf(token, 0, Qt::CaseInsensitive) : -1;
    while (at >= 0) {
        const qsizetype value = at + token.size();
        qsizetype end = value;
        while (end < page.size() && !delimiters.contains(page.at(end), Qt::CaseInsensitive))
            ++end;
        const QString item = page.mid(value, end - value).remove(controls);
        if (!item.isEmpty() && !keys.contains(item.toCaseFolded())) {
            keys.insert(item.toCaseFolded());
            found.append(item);
        }
        at = end + 1 <= page.size() ? page.indexOf(token, end + 1, Qt::CaseInsensitive) : -1;
    }
    return found;
}

// Markup-like bytes full of the tokens in any letter case, near misses, the
// same values again in other letter cases, values with line breaks, empty and
// very long values, Latin-1 letters, and a cut at a random place.
QByteArray generatedPage(std::mt19937& random, qsizetype size) {
    static const QByteArrayList tokens = {"a href=\"", "src=\"", "\xe9t\xe9=\"", "a  href=\"",
                                          "href='",    "<A HRE", "\xb5\xff="};
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
                c = static_cast<char>(kLatin1OtherCase[static_cast<unsigned char>(c)]);
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
    // Only letters: no byte to look for without its other case.
    {QStringLiteral("hReF"), QStringLiteral(">")},
    // The micro sign, which folds out of Latin-1, in the token and a value.
    {QString::fromLatin1("\xb5\xff="), QStringLiteral("\">?#")},
};

} // namespace

class TestExtractionDifferential : public QObject {
    Q_OBJECT

private slots:
    // The collections the scan fills hold what the plain extraction holds, in
    // the same order and letter case: on short pages, where the token meets
    // the page's end at every distance, and on long ones.
    void parseHtmlFillsWhatThePlainExtractionFinds() {
        FetcherRig rig;
        rig.net.Init();
        std::mt19937 random(5);
        for (int round = 0; round < 66; ++round) {
            const qsizetype size = round < 60 ? round * 3 : 150000;
            const QByteArray page = generatedPage(random, size);
            rig.load(page);
            for (const auto& [token, delimiters] : kSearches) {
                KeyedCollection items;
                QCOMPARE(rig.net.ParseHTML(token, items, delimiters), page.size() > token.size());
                const QStringList expected = reference(page, token, delimiters);
                QVERIFY(size < 150000 || expected.size() > 3);
                QCOMPARE(items.items(), expected);
            }
        }
    }

    // Made a few bytes at a time, an extraction finds what it finds in one
    // go: each stretch resumes where the last one stopped, wherever that is.
    void stretchesFindWhatOnePassFinds() {
        std::mt19937 random(7);
        std::uniform_int_distribution<qsizetype> stretch(1, 40);
        for (int round = 0; round < 40; ++round) {
            const QByteArray page = generatedPage(random, round < 30 ? round * 7 : 20000);
            for (const auto& [token, delimiters] : kSearches) {
                KeyedCollection items;
                ValueExtraction extraction(page, token, delimiters, items);
                int stretches = 1;
                while (!extraction.advance(stretch(random)))
                    ++stretches;
                QCOMPARE(items.items(), reference(page, token, delimiters));
                QVERIFY(page.size() < 20000 || stretches > 10);
            }
        }
    }
};

QTEST_MAIN(TestExtractionDifferential)
#include "tst_extraction_differential.moc"
