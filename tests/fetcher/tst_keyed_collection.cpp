#include "fetcher/keyed_collection.h"
#include "fetcher/latin1_case.h"

#include <QSet>
#include <QtTest>

#include <random>

namespace {

// The collection as plainly as it can be written: a list, and the folded
// keys seen so far.
struct Reference {
    QStringList items;
    QSet<QString> keys;
    bool add(const QString& item, const QString& key) {
        if (keys.contains(key.toCaseFolded()))
            return false;
        keys.insert(key.toCaseFolded());
        items.append(item);
        return true;
    }
};

// Keys whose folding is easy to get wrong: letters outside ASCII, the micro
// sign (which folds out of Latin-1, as the Greek letters beside it do), the
// Kelvin sign (which folds into ASCII), a letter beyond 16 bits, the sharp s.
const QStringList kBases = {
    QStringLiteral("http://example.com/Page.html"),
    QStringLiteral("/images/pic1.png"),
    QString::fromUtf8("caf\u00e9/\u00c0 la carte"),
    QString::fromUtf8("\u00b5m"),
    QString::fromUtf8("\u039cm"),
    QString::fromUtf8("\u03bcM"),
    QString::fromUtf8("\u212a-unit"),
    QStringLiteral("k-unit"),
    QString::fromUtf8("stra\u00dfe \u1e9e"),
    QString::fromUtf8("\U00010400 deseret"),
    QStringLiteral(""),
    QString(40000, QLatin1Char('L')),
};

// A base key with some of its letters changed to the other case.
QString variant(const QString& base, std::mt19937& random) {
    QString key = base;
    for (qsizetype i = 0; i < key.size(); ++i) {
        if (key[i].isSurrogate() || random() % 3 != 0)
            continue;
        key[i] = key[i].isUpper() ? key[i].toLower() : key[i].toUpper();
    }
    return random() % 4 == 0 ? key + QString::number(random() % 50) : key;
}

} // namespace

class TestKeyedCollection : public QObject {
    Q_OBJECT

private slots:
    void keysIgnoreLetterCaseAndKeepOrder() {
        KeyedCollection c;
        QVERIFY(c.add("First", "http://A.example/x"));
        QVERIFY(c.add("Second", "http://b.example/"));
        QVERIFY(!c.add("Again", "HTTP://a.EXAMPLE/X"));
        QVERIFY(c.add("Third", "http://a.example/x/"));
        QCOMPARE(c.items(), (QStringList{"First", "Second", "Third"}));
        QVERIFY(c.containsKey("http://B.Example/"));
        QVERIFY(!c.containsKey("http://c.example/"));
    }

    void accentedLettersFoldToo() {
        KeyedCollection c;
        QVERIFY(c.add("café", "CAFÉ"));
        QVERIFY(!c.add("x", "café"));
        QCOMPARE(c.count(), 1);
    }

    // Thousands of adds of generated keys, each answered as the plain
    // collection answers it.
    void behavesLikeThePlainCollection() {
        KeyedCollection collection;
        Reference reference;
        std::mt19937 random(7);
        for (int i = 0; i < 4000; ++i) {
            if (i == 2000)
                collection.reserve(4000); // room taken mid-way changes nothing
            const QString key = variant(kBases[random() % kBases.size()], random);
            const QString item = QStringLiteral("item %1").arg(i);
            QCOMPARE(collection.add(item, key), reference.add(item, key));
        }
        QCOMPARE(collection.items(), reference.items);
        for (const QString& base : kBases) {
            const QString key = variant(base, random);
            QCOMPARE(collection.containsKey(key), reference.keys.contains(key.toCaseFolded()));
        }
    }

    // Latin-1 texts added from their bytes answer and read back as the same
    // texts added as strings: every letter case and length around the word
    // size, accented letters, the micro sign and the sharp s, mixed with
    // texts beyond Latin-1 added as strings.
    void latin1BytesActAsStrings() {
        KeyedCollection collection;
        Reference reference;
        static const QByteArray letters = "aAzZ/.09\xe9\xc9\xb5\xdf\xff\x01 ";
        std::mt19937 random(3);
        for (int i = 0; i < 3000; ++i) {
            if (i % 10 == 0) {
                const QString wide = variant(kBases[random() % kBases.size()], random);
                QCOMPARE(collection.add(wide, wide), reference.add(wide, wide));
                continue;
            }
            // Mostly ASCII letters in both cases, now and then any of them.
            QByteArray text(static_cast<qsizetype>(random() % 40), Qt::Uninitialized);
            const qsizetype choice = random() % 4 == 0 ? letters.size() : 4;
            for (char& c : text)
                c = letters[random() % choice];
            const QString expected = QString::fromLatin1(text);
            QCOMPARE(collection.addLatin1(text), reference.add(expected, expected));
            // Found again when asked for as a string in other letter cases:
            // both ways fold alike.
            QString flipped = expected;
            for (QChar& c : flipped)
                if (c.unicode() < 0x80)
                    c = c.isUpper() ? c.toLower() : c.toUpper();
            QVERIFY(!collection.add(expected, flipped));
        }
        QCOMPARE(collection.items(), reference.items);
    }

    // The byte tables fold each Latin-1 character as QString does, and pair
    // exactly the characters that fold alike.
    void latin1TablesFoldAsQtFolds() {
        for (int c = 0; c < 256; ++c) {
            const QChar folded = QChar(c).toCaseFolded();
            QCOMPARE(kLatin1Folded[c], folded.unicode());
            for (int d = 0; d < 256; ++d)
                if (d != c)
                    QCOMPARE(kLatin1OtherCase[c] == d, QChar(d).toCaseFolded() == folded);
        }
    }

    void copiesAndMovesAreWholeCollections() {
        KeyedCollection original;
        QVERIFY(original.add("a", "A"));
        KeyedCollection copy = original;
        QVERIFY(copy.add("b", "B"));
        QVERIFY(!original.containsKey("b"));
        QVERIFY(!copy.add("again", "a"));
        original = std::move(copy);
        QCOMPARE(original.items(), (QStringList{"a", "b"}));
        QVERIFY(!original.add("again", "b"));
    }
};

QTEST_MAIN(TestKeyedCollection)
#include "tst_keyed_collection.moc"
