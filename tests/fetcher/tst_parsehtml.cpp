#include "fetcher_rig.h"

#include <QtTest>

namespace {

const QString kLink = QStringLiteral("A HREF=\"");
const QString kSource = QStringLiteral("SRC=\"");

} // namespace

class TestParseHtml : public QObject {
    Q_OBJECT

    void load(const QByteArray& page) { rig.load(page); }
    QStringList links(const QByteArray& page,
                      std::optional<QString> delimiters = QString("\">?#")) {
        load(page);
        KeyedCollection items;
        rig.net.ParseHTML(kLink, items, delimiters);
        return items.items();
    }

private slots:
    void init() {
        rig.net.Init();
        rig.status.texts.clear();
    }

    void emptyPageIsNotScanned() {
        KeyedCollection items;
        QVERIFY(items.add("kept", "kept"));
        QVERIFY(!rig.net.ParseHTML(kLink, items));
        QCOMPARE(items.items(), QStringList{"kept"});
        QCOMPARE(rig.status.texts, (QStringList{"Parsing page...", "Ready"}));
        QCOMPARE(rig.pointer.calls, (QStringList{"busy", "restore"}));
    }

    void pageNotLongerThanTheTokenIsNotScanned() {
        load("SRC=\"");
        KeyedCollection items;
        QVERIFY(!rig.net.ParseHTML(kSource, items));
        load("SRC=\"x");
        QVERIFY(rig.net.ParseHTML(kSource, items));
        QCOMPARE(items.items(), QStringList{"x"});
    }

    void tokenFoundInAnyLetterCaseAndInsideWords() {
        QCOMPARE(links("<a href=\"one.htm\"> <A HREF=\"two.htm\"> <Area HrEf=\"three.htm\">"
                       "<aa href=\"four.htm\">"),
                 (QStringList{"one.htm", "two.htm", "three.htm", "four.htm"}));
        QCOMPARE(links("<area href=\"map.htm\">"), QStringList{"map.htm"});
        QCOMPARE(links("<data href=\"d.htm\">"), QStringList{"d.htm"});
    }

    void duplicatesKeepTheFirstLetterCase() {
        QCOMPARE(links("<a href=\"Page.HTM\"><a href=\"page.htm\"><a href=\"PAGE.htm\">"
                       "<a href=\"other\"><a href=\"Page.HTM\">"),
                 (QStringList{"Page.HTM", "other"}));
    }

    void queryAndFragmentAreCutOff() {
        QCOMPARE(links("<a href=\"find.cgi?q=1\"><a href=\"doc.htm#part\"><a href=\"x>y\">"),
                 (QStringList{"find.cgi", "doc.htm", "x"}));
    }

    void lineBreaksAreRemovedSpacesKept() {
        QCOMPARE(links("<a href=\"my\r\n  page.htm\"><a href=\"a\tb\x0b\x0c"
                       "c\">"),
                 (QStringList{"my  page.htm", "abc"}));
    }

    void emptyValuesAddNothing() {
        QCOMPARE(links("<a href=\"\"><a href=\"\t\r\n\"><a href=\"real\">"), QStringList{"real"});
    }

    void tokenAtTheEndAndValueRunningToTheEnd() {
        load("text <a href=\"");
        KeyedCollection items;
        QVERIFY(rig.net.ParseHTML(kLink, items));
        QCOMPARE(items.count(), 0);
        QCOMPARE(links("<a href=\"first\"> <a href=\"unfinished/page"),
                 (QStringList{"first", "unfinished/page"}));
    }

    void otherLinkSpellingsDoNotMatch() {
        QCOMPARE(links("<a href='single.htm'><a href=bare.htm><a class=\"c\" href=\"cls.htm\">"
                       "<a  href=\"two-spaces\"><a href = \"spaced\">"),
                 QStringList());
    }

    // The search resumes after the delimiter, never inside a value taken.
    void searchResumesAfterTheDelimiter() {
        QCOMPARE(links("<a href=\"x?a href=&quot;no\"> <a href=\"y\">"), (QStringList{"x", "y"}));
        load("<img src=\"SRC=\"inner\">");
        KeyedCollection items;
        QVERIFY(rig.net.ParseHTML(kSource, items));
        QCOMPARE(items.items(), QStringList{"SRC="});
    }

    void sourcesWithTheDefaultSet() {
        load("<img src=\"pic.gif\"><script SRC=\"s.js?v=2\"></script><img src=\"pic.gif\">");
        KeyedCollection items;
        QVERIFY(rig.net.ParseHTML(kSource, items));
        QCOMPARE(items.items(), (QStringList{"pic.gif", "s.js"}));
        QCOMPARE(rig.status.texts, (QStringList{"Parsing page...", "Ready"}));
        QCOMPARE(rig.pointer.calls, (QStringList{"busy", "restore"}));
    }

    void givenDelimitersIgnoreLetterCase() {
        QCOMPARE(links("<a href=\"abXcd\"><a href=\"efxgh\">", QString("x")),
                 (QStringList{"ab", "ef"}));
        // An empty set means the default one.
        QCOMPARE(links("<a href=\"p.htm?x\">", QString()), QStringList{"p.htm"});
    }

    void accentedLettersMatchEitherCase() {
        load("<x \xc9t\xc9=\"v1\"><x \xe9t\xe9=\"v2\">");
        KeyedCollection items;
        QVERIFY(rig.net.ParseHTML(QString::fromLatin1("\xe9T\xc9=\""), items));
        QCOMPARE(items.items(), (QStringList{"v1", "v2"}));
    }

    void tokenOutsideLatin1MatchesNothing() {
        load("<a href=\"?\">");
        KeyedCollection items;
        QVERIFY(rig.net.ParseHTML(QStringLiteral("href=\u20ac"), items));
        QCOMPARE(items.count(), 0);
    }

    // Far beyond the length a 16-bit counter can hold, taken whole, and the
    // scan still finds what follows.
    void veryLongValuesAreTakenWhole() {
        const QByteArray longValue(100000, 'v');
        QCOMPARE(links("<a href=\"" + longValue + "\"><a href=\"next\">"),
                 (QStringList{QString::fromLatin1(longValue), "next"}));
        QCOMPARE(links("<a href=\"" + longValue), QStringList{QString::fromLatin1(longValue)});
    }

    void emptyTokenSplitsAtEveryDelimiter() {
        load("ab\"cd\"\"e");
        KeyedCollection items;
        QVERIFY(rig.net.ParseHTML(QString(), items, QString("\"")));
        QCOMPARE(items.items(), (QStringList{"ab", "cd", "e"}));
    }

    // The scan of many links finds each one, in page order.
    void manyLinksInOrder() {
        QByteArray page;
        QStringList expected;
        for (int i = 0; i < 5000; ++i) {
            const QByteArray target = "/p/" + QByteArray::number(i) + ".htm";
            page += "<li><A href=\"" + target + "?ref=" + QByteArray::number(i) +
                    "\">item</a> <img SRC=\"i.png\"></li>\n";
            expected << QString::fromLatin1(target);
        }
        QCOMPARE(links(page), expected);
    }

private:
    FetcherRig rig;
};

QTEST_MAIN(TestParseHtml)
#include "tst_parsehtml.moc"
