#include "monitor_rig.h"

#include <QtTest>

#include <stdexcept>

namespace {

const QString kPage = QStringLiteral("http://watched.invalid/");

} // namespace

// Period ends in single mode: the page is read, scanned and compared by its
// length with the page of the last change; then the address box and the
// browser show it.
class TstPageScan : public QObject {
    Q_OBJECT
private slots:
    // The first page of a run is a change, whatever it holds; the order is
    // read, change test and sound, address box, navigation.
    void periodEndInOrder_data() {
        QTest::addColumn<bool>("sound");
        QTest::newRow("sound box ticked") << true;
        QTest::newRow("sound box clear") << false;
    }
    void periodEndInOrder() {
        QFETCH(bool, sound);
        MonitorRig rig;
        rig.view.sound = sound;
        rig.start("10 sec", kPage);
        rig.monitor.tick();
        QVERIFY(rig.monitor.bBusy());
        QCOMPARE(rig.fakes.reader.requests.size(), 1);
        QVERIFY(rig.fakes.browser.navigated.isEmpty());
        rig.fakes.reader.finish("<p>one</p>");
        QVERIFY(!rig.monitor.bBusy());
        QStringList expected{"single mode", "Stop", "scan " + kPage};
        if (sound)
            expected << "sound";
        expected << "address " + kPage;
        QCOMPARE(rig.view.take(), expected);
        QCOMPARE(rig.fakes.alerts.alerted, QList<QWidget*>{&rig.view.window});
        // One notification names the page and the time of the check.
        const QList<QPair<QString, QDateTime>> notified{{kPage, rig.fakes.clock}};
        QCOMPARE(rig.fakes.notifications.notified, notified);
        QCOMPARE(rig.fakes.browser.navigated, QStringList{kPage});
        QCOMPARE(rig.monitor.sLastPageText, QStringLiteral("<p>one</p>"));
        QCOMPARE(rig.monitor.vPageText, QStringLiteral("<p>one</p>"));
        QCOMPARE(rig.fakes.pointer.calls,
                 (QStringList{"busy", "restore", "busy", "restore", "busy", "restore"}));

        // The same length with another text is no change, but still shown.
        rig.periodEnd("<p>two</p>");
        QCOMPARE(rig.view.take(), (QStringList{"scan " + kPage, "address " + kPage}));
        QCOMPARE(rig.fakes.alerts.alerted.size(), 1);
        QCOMPARE(rig.fakes.browser.navigated, (QStringList{kPage, kPage}));
        QCOMPARE(rig.monitor.vPageText, QStringLiteral("<p>two</p>"));
        QCOMPARE(rig.monitor.sLastPageText, QStringLiteral("<p>one</p>"));
        QVERIFY(rig.fakes.messages.shown.isEmpty());
    }

    // Every scan starts from empty collections rather than adding to them.
    void scanFillsFreshCollections() {
        MonitorRig rig;
        rig.start("10 sec", kPage);
        rig.periodEnd("<a href=\"http://x.invalid/a?q=1\">a</a>"
                      "<A HREF=\"/b#top\">b</A><a href=\"HTTP://X.INVALID/A\">"
                      "<img src=\"pic.png\"><script SRC=\"s.js\"></script>");
        QCOMPARE(rig.monitor.colLinks.items(),
                 (QStringList{QStringLiteral("http://x.invalid/a"), QStringLiteral("/b")}));
        QCOMPARE(rig.monitor.colSources.items(),
                 (QStringList{QStringLiteral("pic.png"), QStringLiteral("s.js")}));
        rig.periodEnd("<a href=\"/c\"></a>");
        QCOMPARE(rig.monitor.colLinks.items(), QStringList{QStringLiteral("/c")});
        QCOMPARE(rig.monitor.colSources.count(), 0);
    }

    // Which pages are a change: the length of the whole page counts, spaces
    // at either end do not, the head of 60000 characters is what is kept.
    void changeTest_data() {
        QTest::addColumn<QList<QByteArray>>("pages");
        QTest::addColumn<QList<bool>>("changes");
        QTest::addColumn<int>("keptLength"); // of sLastPageText at the end
        const QByteArray blanks(70000, ' ');
        QTest::newRow("same length")
            << QList<QByteArray>{"abcde", "vwxyz"} << QList<bool>{true, false} << 5;
        QTest::newRow("surrounding spaces") << QList<QByteArray>{"abc", "   abc  ", "  abc\r\n"}
                                            << QList<bool>{true, false, true} << 5;
        QTest::newRow("empty after content")
            << QList<QByteArray>{"content", ""} << QList<bool>{true, true} << 0;
        QTest::newRow("long page off by one")
            << QList<QByteArray>{QByteArray(45000, 'x'), QByteArray(45001, 'x'),
                                 QByteArray(45001, 'x')}
            << QList<bool>{true, true, false} << 45001;
        QTest::newRow("same length past the head")
            << QList<QByteArray>{QByteArray(100000, 'a'),
                                 QByteArray(60000, 'b') + QByteArray(40000, 'c'),
                                 QByteArray(100001, 'd')}
            << QList<bool>{true, false, true} << 60000;
        QTest::newRow("across the head's length")
            << QList<QByteArray>{QByteArray(60000, 'a'), QByteArray(59999, 'e'),
                                 QByteArray(60001, 'f'), QByteArray(60002, 'g')}
            << QList<bool>{true, true, true, true} << 60000;
        QTest::newRow("blanks past the head")
            << QList<QByteArray>{blanks + "abc ", "  abc" + blanks} << QList<bool>{true, false}
            << 3;
    }
    void changeTest() {
        QFETCH(QList<QByteArray>, pages);
        QFETCH(QList<bool>, changes);
        QFETCH(int, keptLength);
        MonitorRig rig;
        rig.view.sound = true;
        rig.start("10 sec", kPage);
        for (qsizetype i = 0; i < pages.size(); ++i) {
            rig.periodEnd(pages[i]);
            const int rings = static_cast<int>(rig.view.take().count("sound"));
            QCOMPARE(rings, changes[i] ? 1 : 0);
        }
        QCOMPARE(rig.monitor.sLastPageText.size(), keptLength);
        QCOMPARE(rig.fakes.alerts.alerted.size(), changes.count(true));
        QCOMPARE(rig.fakes.notifications.notified.size(), changes.count(true));
    }

    // The head is cut from the page without converting all of it; blanks
    // at either end go first however many there are, blanks inside stay.
    void headKeepsBlanksInside() {
        MonitorRig rig;
        rig.start("10 sec", kPage);
        rig.periodEnd(" " + QByteArray(59990, 'a') + QByteArray(20, ' ') + "b" +
                      QByteArray(70000, ' '));
        QCOMPARE(rig.monitor.vPageText,
                 QString(59990, QLatin1Char('a')) + QString(10, QLatin1Char(' ')));
        QCOMPARE(rig.monitor.lPageLength, 60011);
    }

    // Without the sound a change is still a change: the reference moves on
    // and the taskbar is told.
    void untickedSoundStillMovesReference() {
        MonitorRig rig;
        rig.start("10 sec", kPage);
        rig.periodEnd("one");
        rig.periodEnd("three");
        QCOMPARE(rig.monitor.sLastPageText, QStringLiteral("three"));
        QVERIFY(!rig.view.changes.contains("sound"));
        QCOMPARE(rig.fakes.alerts.alerted.size(), 2);
    }

    // A failed read says so in a box once, and is no change: the page kept
    // from before stays the reference, and the next page is compared with it.
    void failedReadKeepsReference() {
        MonitorRig rig;
        rig.view.sound = true;
        rig.start("10 sec", kPage);
        rig.periodEnd("abcdef");
        rig.view.take();
        rig.monitor.tick();
        rig.fakes.reader.fail(InternetError::CannotConnect);
        QCOMPARE(rig.boxes(),
                 QStringList{"Error: The attempt to connect to the server failed. | Vigilo"});
        QCOMPARE(rig.monitor.sLastPageText, QStringLiteral("abcdef"));
        QCOMPARE(rig.fakes.alerts.alerted.size(), 1);
        // The monitor goes on and still shows the address it failed to read.
        QVERIFY(rig.monitor.running());
        QCOMPARE(rig.view.take(), (QStringList{"scan " + kPage, "address " + kPage}));
        QCOMPARE(rig.fakes.browser.navigated.last(), kPage);

        rig.periodEnd("ABCDEF");
        QVERIFY(!rig.view.changes.contains("sound"));
        QCOMPARE(rig.fakes.messages.shown.size(), 1);
    }

    // A server error is a failed read: no change test, the reference kept,
    // and the page back unchanged is no change either.
    void serverErrorIsNoChange() {
        MonitorRig rig;
        rig.view.sound = true;
        rig.start("10 sec", kPage);
        rig.periodEnd(QByteArray(30000, 'p'));
        rig.monitor.tick();
        rig.fakes.reader.fail(InternetError::ServerError,
                              "The server answered 503 Service Unavailable.");
        QCOMPARE(rig.boxes(), QStringList{"Error: The server answered 503 Service Unavailable. | "
                                          "Vigilo"});
        QCOMPARE(rig.monitor.lLastPageLength, 30000);
        rig.periodEnd(QByteArray(30000, 'p'));
        QCOMPARE(rig.view.changes.count("sound"), 1);
        QCOMPARE(rig.fakes.alerts.alerted.size(), 1);
        QCOMPARE(rig.fakes.notifications.notified.size(), 1);
    }

    // After Stop and a Start on another URL the first page is compared with
    // the last page of the old one.
    void restartOnOtherUrlComparesWithOldPage() {
        MonitorRig rig;
        rig.view.sound = true;
        rig.start("10 sec", "http://a/");
        rig.periodEnd("twelve chars");
        rig.monitor.startOrStop();
        rig.start("30 sec", "http://b/");
        rig.periodEnd("same length!");
        QCOMPARE(rig.view.changes.count("sound"), 1);
        QCOMPARE(rig.monitor.sLastPageText, QStringLiteral("twelve chars"));
        rig.periodEnd("longer than the others");
        QCOMPARE(rig.view.changes.count("sound"), 2);
    }

    // A new URL typed while the monitor runs is read at the next period end.
    void newUrlTakesEffectWithoutRestart() {
        MonitorRig rig;
        rig.start("5 min", "http://a/");
        for (int i = 0; i < 5; ++i)
            rig.monitor.tick();
        rig.periodEnd("a");
        rig.view.url = "http://b/";
        for (int i = 0; i < 5; ++i)
            rig.monitor.tick();
        QCOMPARE(rig.fakes.reader.requests.size(), 1);
        rig.periodEnd("bb");
        QCOMPARE(rig.fakes.reader.requests.size(), 2);
        QCOMPARE(rig.fakes.reader.requests[1].url, QByteArray("http://b/"));
        QCOMPARE(rig.fakes.browser.navigated, (QStringList{"http://a/", "http://b/"}));
    }

    // A failure inside the scan ends it quietly; the page is shown and the
    // monitor keeps running.
    void failureInsideScanEndsItSilently() {
        MonitorRig rig;
        rig.start("10 sec", kPage);
        rig.fakes.messages.whileOpen = [] { throw std::runtime_error("box failed"); };
        rig.monitor.tick();
        rig.fakes.reader.fail(InternetError::CannotConnect);
        QCOMPARE(rig.fakes.messages.shown.size(), 1);
        QVERIFY(rig.monitor.running());
        QVERIFY(!rig.monitor.bBusy());
        QCOMPARE(rig.fakes.browser.navigated, QStringList{kPage});
    }
};

QTEST_MAIN(TstPageScan)
#include "tst_page_scan.moc"
