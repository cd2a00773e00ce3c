#include "monitor_rig.h"

#include <QtTest>

namespace {

const QString kPage = QStringLiteral("http://watched.invalid/");
const QStringList kThree{QStringLiteral("http://a.invalid/"), QStringLiteral("http://b.invalid/"),
                         QStringLiteral("http://c.invalid/")};

} // namespace

// What comes between a period end's read and its result: each step is the
// test's, so every interleaving is explicit.
class TstScanInterleavings : public QObject {
    Q_OBJECT
private slots:
    // A period end during a read passes: no second read, nothing shown;
    // so does one while the failure's box waits for OK. Once the scan is
    // over the next period end reads again.
    void periodEndDuringAScanPasses() {
        MonitorRig rig;
        rig.start("10 sec", kPage);
        rig.monitor.tick();
        rig.view.take();
        rig.monitor.tick();
        QCOMPARE(rig.fakes.reader.requests.size(), 1);
        QVERIFY(rig.fakes.reader.reading());
        QVERIFY(rig.view.changes.isEmpty());

        int ticksDuringBox = 0;
        rig.fakes.messages.whileOpen = [&] {
            QVERIFY(rig.monitor.bBusy());
            rig.monitor.tick();
            ++ticksDuringBox;
        };
        rig.fakes.reader.fail(InternetError::Timeout);
        QCOMPARE(ticksDuringBox, 1);
        QCOMPARE(rig.boxes(), QStringList{"Error: The request has timed out. | Vigilo"});
        QCOMPARE(rig.fakes.reader.requests.size(), 1);
        QCOMPARE(rig.view.take(), QStringList{"address " + kPage});
        QCOMPARE(rig.fakes.browser.navigated, QStringList{kPage});
        QVERIFY(!rig.monitor.bBusy());

        rig.fakes.messages.whileOpen = nullptr;
        rig.periodEnd("served at last");
        QCOMPARE(rig.fakes.reader.requests.size(), 2);
        QCOMPARE(rig.monitor.sLastPageText, QStringLiteral("served at last"));
    }

    // Stop during a read abandons it at once: no box, no sound, no
    // navigation, however the read would have ended. A new Start reads again.
    void stopDuringAReadAbandonsIt() {
        MonitorRig rig;
        rig.view.sound = true;
        rig.start("10 sec", kPage);
        rig.monitor.tick();
        rig.monitor.startOrStop();
        QVERIFY(!rig.monitor.running());
        QVERIFY(!rig.monitor.bBusy());
        QCOMPARE(rig.fakes.reader.abandoned, 1);
        QVERIFY(!rig.fakes.reader.reading());
        QTest::qWait(0);
        QVERIFY(rig.fakes.messages.shown.isEmpty());
        QVERIFY(rig.fakes.browser.navigated.isEmpty());
        QVERIFY(rig.fakes.alerts.alerted.isEmpty());
        QVERIFY(!rig.view.changes.contains("sound"));
        QCOMPARE(rig.fakes.pointer.calls.last(), QStringLiteral("restore"));

        rig.start("10 sec", kPage);
        rig.periodEnd("fresh");
        QCOMPARE(rig.fakes.browser.navigated, QStringList{kPage});
        QCOMPARE(rig.view.changes.count("sound"), 1);
    }

    // A huge page is scanned a stretch at a time after its read: the
    // period end is still under way meanwhile, Stop abandons it as it does a
    // read, and left alone it ends by itself.
    void stopDuringTheScanOfAHugePage() {
        QByteArray page;
        for (int i = 0; page.size() < 12 * 1024 * 1024; ++i)
            page += "<a href=\"/p/" + QByteArray::number(i) + "\">" + QByteArray(1000, ' ');
        MonitorRig rig;
        rig.view.sound = true;
        rig.start("10 sec", kPage);
        rig.periodEnd(page);
        QVERIFY(rig.monitor.bBusy());
        rig.monitor.tick();
        QCOMPARE(rig.fakes.reader.requests.size(), 1);
        rig.monitor.startOrStop();
        QVERIFY(!rig.monitor.bBusy());
        QTest::qWait(20);
        QVERIFY(rig.fakes.browser.navigated.isEmpty());
        QVERIFY(rig.fakes.alerts.alerted.isEmpty());
        QVERIFY(!rig.view.changes.contains("sound"));

        rig.start("10 sec", kPage);
        rig.periodEnd(page);
        QTRY_COMPARE(rig.fakes.browser.navigated, QStringList{kPage});
        QCOMPARE(rig.view.changes.count("sound"), 1);
        QCOMPARE(rig.monitor.colLinks.count(), page.count("<a href"));
    }

    // A stop of the monitor's own while a read's failure waits for OK (a
    // random pick finding the list too small) leaves nothing to show after.
    void stopWhileTheBoxIsOpen() {
        MonitorRig rig;
        rig.view.list = {QStringLiteral("http://only.invalid/")};
        rig.start("10 sec", kPage);
        rig.monitor.tick();
        rig.fakes.messages.whileOpen = [&] {
            rig.fakes.messages.whileOpen = nullptr;
            rig.view.url.clear(); // the next period end draws from the list
            rig.monitor.tick();
        };
        rig.fakes.reader.fail(InternetError::Timeout);
        QCOMPARE(rig.boxes(), (QStringList{"Error: The request has timed out. | Vigilo",
                                           "Random list to small stopping timer.. | hey..."}));
        QVERIFY(!rig.monitor.running());
        QVERIFY(rig.fakes.browser.navigated.isEmpty());
        QVERIFY(!rig.view.changes.contains("address " + kPage));
    }

    // Stop and Start again, then a random pick, all while a read waits: the
    // pick is shown at once, the page read last, and the current URL is the
    // page read.
    void randomPickDuringARead() {
        MonitorRig rig;
        rig.view.list = kThree;
        rig.start("10 sec", kPage);
        rig.monitor.tick();
        rig.view.single = false;
        rig.drawIndexes(3, {2});
        rig.monitor.tick();
        QCOMPARE(rig.fakes.browser.navigated, QStringList{kThree[2]});
        QCOMPARE(rig.monitor.sCurrentUrl, kThree[2]);
        rig.fakes.reader.finish("the page");
        QCOMPARE(rig.fakes.browser.navigated, (QStringList{kThree[2], kPage}));
        QCOMPARE(rig.monitor.sCurrentUrl, kPage);
        QCOMPARE(rig.monitor.vLastPick, std::optional<int>(2));
        QVERIFY(rig.monitor.running());
    }

    // The window closing during a read takes the monitor with it: the read
    // is abandoned and nothing of it arrives later.
    void destroyedDuringARead() {
        FakePlatform fakes;
        ScriptedView view;
        auto monitor = std::make_unique<PeriodMonitor>(
            view, MonitorServices{fakes.reader, fakes.pointer, fakes.program, fakes.messages,
                                  fakes.browser, fakes.alerts, fakes.notifications,
                                  fakes.platform().random, fakes.platform().now});
        monitor->prepare();
        view.url = kPage;
        monitor->startOrStop();
        monitor->tick();
        monitor.reset();
        QCOMPARE(fakes.reader.abandoned, 1);
        QVERIFY(!fakes.reader.reading());
        QTest::qWait(0);
        QVERIFY(fakes.browser.navigated.isEmpty());
        QVERIFY(fakes.messages.shown.isEmpty());
    }
};

QTEST_MAIN(TstScanInterleavings)
#include "tst_scan_interleavings.moc"
