#include "fetcher/keyed_collection.h"

#include <QtTest>

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
};

QTEST_MAIN(TestKeyedCollection)
#include "tst_keyed_collection.moc"
