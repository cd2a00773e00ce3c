#include "fetcher_rig.h"

#include <QSignalSpy>
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

    // The two extractions of a scan, a stretch at a time: a page of
    // ordinary size is done at once; a huge one over later rounds of the event
    // loop, with the texts and the pointer of two ParseHTML calls, the same
    // values, and parsed() at the end.
    void extractionsInStretches() {
        QByteArray page;
        for (int i = 0; page.size() < 10 * 1024 * 1024; ++i)
            page += "<a href=\"/p/" + QByteArray::number(i % 70000) + "\"><img src=\"/i/" +
                    QByteArray::number(i % 500) + ".png\">" + QByteArray(100, ' ');
        QSignalSpy parsed(&rig.net, &CNetGet::parsed);
        load("<a href=\"/small\">");
        KeyedCollection links;
        KeyedCollection sources;
        QVERIFY(rig.net.ParseHTMLInStretches(
            {{kLink, &links, QStringLiteral("\">?#")}, {kSource, &sources, std::nullopt}}));
        QCOMPARE(links.items(), QStringList{"/small"});
        QCOMPARE(rig.status.texts,
                 (QStringList{"Parsing page...", "Ready", "Parsing page...", "Ready"}));

        load(page);
        links = KeyedCollection();
        QVERIFY(!rig.net.ParseHTMLInStretches(
            {{kLink, &links, QStringLiteral("\">?#")}, {kSource, &sources, std::nullopt}}));
        QCOMPARE(rig.status.texts, QStringList{"Parsing page..."});
        QVERIFY(links.count() < 70000);
        QVERIFY(parsed.wait(10000));
        QCOMPARE(parsed.size(), 1);
        KeyedCollection allLinks;
        KeyedCollection allSources;
        rig.net.ParseHTML(kLink, allLinks, QStringLiteral("\">?#"));
        rig.net.ParseHTML(kSource, allSources);
        QCOMPARE(links.items(), allLinks.items());
        QCOMPARE(sources.items(), allSources.items());
        QCOMPARE(rig.status.texts.mid(0, 4),
                 (QStringList{"Parsing page...", "Ready", "Parsing page...", "Ready"}));
        QCOMPARE(rig.pointer.calls.mid(0, 4), (QStringList{"busy", "restore", "busy", "restore"}));
    }

    // What is left of them is given up by CancelParse and by a new read.
    void stretchesAbandoned() {
        QByteArray page;
        int total = 0;
        for (; page.size() < 12 * 1024 * 1024; ++total)
            page += "<a href=\"/p/" + QByteArray::number(total) + "\">" + QByteArray(1000, ' ');
        load(page);
        QSignalSpy parsed(&rig.net, &CNetGet::parsed);
        for (int way = 0; way < 2; ++way) {
            KeyedCollection links;
            QVERIFY(!rig.net.ParseHTMLInStretches({{kLink, &links, std::nullopt}}));
            const qsizetype found = links.count();
            QVERIFY(found > 0 && found < total);
            if (way == 0)
                rig.net.CancelParse();
            else
                rig.net.ReadUrl(QStringLiteral("http://other/"));
            QTest::qWait(20);
            QCOMPARE(parsed.size(), 0);
            QCOMPARE(links.count(), found);
            // Only the read's own pointer is still busy.
            QCOMPARE(rig.pointer.calls.count("busy") - rig.pointer.calls.count("restore"), way);
        }
    }

private:
    FetcherRig rig;
};

QTEST_MAIN(TestParseHtml)
#include "tst_parsehtml.moc"
